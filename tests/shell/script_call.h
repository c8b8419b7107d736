// Argument blocks built as a script engine builds them for IDispatch::Invoke:
// VARIANTs in script order, handed over last first. Windows only.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <vector>

namespace vt::test {

class ScriptCall {
  public:
    ScriptCall() = default;
    ~ScriptCall() {
        for (VARIANT& value : block_)
            ::VariantClear(&value);
    }
    ScriptCall(const ScriptCall&) = delete;
    ScriptCall& operator=(const ScriptCall&) = delete;

    ScriptCall& Text(const std::wstring& text) {
        VARIANT value;
        ::VariantInit(&value);
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return Push(value);
    }
    ScriptCall& Number(int number) {
        VARIANT value;
        ::VariantInit(&value);
        V_VT(&value) = VT_I4;
        V_I4(&value) = number;
        return Push(value);
    }
    ScriptCall& Null() {
        VARIANT value;
        ::VariantInit(&value);
        V_VT(&value) = VT_NULL;
        return Push(value);
    }

    // The block: the last argument first.
    DISPPARAMS* Parameters() {
        parameters_.cArgs = static_cast<UINT>(block_.size());
        parameters_.rgvarg = block_.empty() ? nullptr : block_.data();
        parameters_.cNamedArgs = 0;
        parameters_.rgdispidNamedArgs = nullptr;
        return &parameters_;
    }

  private:
    ScriptCall& Push(const VARIANT& value) {
        block_.insert(block_.begin(), value);
        return *this;
    }

    std::vector<VARIANT> block_;
    DISPPARAMS parameters_{};
};

}  // namespace vt::test
