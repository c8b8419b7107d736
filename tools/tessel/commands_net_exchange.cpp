// The encrypted form exchange with the catalogue server, by hand.
#include "cli.h"
#include "net/secure_exchange.h"

namespace vt::cli {

namespace {

std::string Reason(net::ExchangeStatus status, int httpStatus) {
    switch (status) {
        case net::ExchangeStatus::kOk:
            return "";
        case net::ExchangeStatus::kRequestTooLong:
            return "the form text is too long for one exchange";
        case net::ExchangeStatus::kTimedOut:
            return "the server did not answer in time";
        case net::ExchangeStatus::kPostFailed:
            return httpStatus ? "the server answered HTTP status " + std::to_string(httpStatus)
                              : std::string("no answer from the server");
        case net::ExchangeStatus::kNoMarker:
            return "the answer has no \"bingo\" marker in its first line";
        case net::ExchangeStatus::kNoSalt:
            return "the decrypted answer does not contain the salt (wrong key?)";
    }
    return "unknown failure";
}

int RunExchange(Context& context) {
    std::string key, data;
    bool missing = false;
    const bool hasKey = TakeOption(context.flags, "--key", key, &missing);
    TakeOption(context.flags, "--data", data, &missing);
    if (!hasKey || key.empty() || missing || context.args.size() != 1)
        return UsageError(context, "exchange");

    std::string answer;
    int httpStatus = 0;
    const net::ExchangeStatus status = net::RunSecureExchange(
        FromTerminal(data), context.args[0], FromTerminal(key), answer, &httpStatus);
    if (context.json) {
        JsonLine line;
        line.Add("ok", status == net::ExchangeStatus::kOk).Add("httpStatus", httpStatus);
        if (status == net::ExchangeStatus::kOk)
            line.Add("answer", ToTerminal(answer));
        else
            line.Add("reason", Reason(status, httpStatus));
        line.Print();
        return status == net::ExchangeStatus::kOk ? kExitOk : kExitFailure;
    }
    if (status != net::ExchangeStatus::kOk)
        return Fail(Reason(status, httpStatus));
    Print(ToTerminal(answer) + "\n");
    return kExitOk;
}

const bool registered = RegisterCommand({"exchange", "URL --key KEY [--data FORM]",
                                         "向插件目录服务器的接口发送加密表单，显示回答（开发用）",
                                         RunExchange, "--key= --data="});

}  // namespace

}  // namespace vt::cli
