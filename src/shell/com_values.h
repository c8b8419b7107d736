// Owners and conversions for the value types of COM automation (BSTR and
// VARIANT) and the text conversions between them and the program's local
// code page. Windows only.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <utility>

namespace vt::shell {

// Local-code-page text of UTF-16 text (length in characters).
inline std::string WideToLocal(const wchar_t* text, size_t length) {
    if (text == nullptr || length == 0)
        return {};
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0,
                                           nullptr, nullptr);
    std::string local(size > 0 ? size : 0, '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), local.data(), size,
                              nullptr, nullptr);
    return local;
}

// A BSTR (which may be null, meaning empty) as local text.
inline std::string BstrToLocal(BSTR text) {
    return WideToLocal(text, text != nullptr ? ::SysStringLen(text) : 0);
}

inline std::wstring LocalToWide(const std::string& local) {
    if (local.empty())
        return {};
    const int size =
        ::MultiByteToWideChar(CP_ACP, 0, local.data(), static_cast<int>(local.size()), nullptr, 0);
    std::wstring wide(size > 0 ? size : 0, L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_ACP, 0, local.data(), static_cast<int>(local.size()), wide.data(),
                              size);
    return wide;
}

// Owns one BSTR.
class BString {
  public:
    BString() = default;
    explicit BString(const std::wstring& text)
        : text_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    static BString FromLocal(const std::string& local) { return BString(LocalToWide(local)); }
    ~BString() { ::SysFreeString(text_); }
    BString(BString&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
    BString& operator=(BString&& other) noexcept {
        std::swap(text_, other.text_);
        return *this;
    }
    BString(const BString&) = delete;
    BString& operator=(const BString&) = delete;

    BSTR get() const { return text_; }
    // Frees the current text and gives the address to fill.
    BSTR* Put() {
        ::SysFreeString(std::exchange(text_, nullptr));
        return &text_;
    }

  private:
    BSTR text_ = nullptr;
};

// Owns one VARIANT, cleared on destruction.
class VariantValue {
  public:
    VariantValue() { ::VariantInit(&value_); }
    ~VariantValue() { ::VariantClear(&value_); }
    VariantValue(const VariantValue&) = delete;
    VariantValue& operator=(const VariantValue&) = delete;

    VARIANT* get() { return &value_; }
    const VARIANT& operator*() const { return value_; }

  private:
    VARIANT value_;
};

// Sets a caller's VARIANT to a boolean.
inline void SetBoolean(VARIANT* variant, bool value) {
    ::VariantInit(variant);
    V_VT(variant) = VT_BOOL;
    V_BOOL(variant) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace vt::shell
