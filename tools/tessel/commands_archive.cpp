// tessel unzip: extracts an archive as the addon pipeline does, or only
// checks it, and shows every member's zip result.
#include <cstdio>

#include "archive/extract_archive.h"
#include "archive/zip_result.h"
#include "cli.h"
#include "platform/files.h"

namespace vt::cli {

namespace {

std::string Hex(archive::ZipResult result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(result));
    return text;
}

int Report(const Context& context, const std::string& archive,
           const archive::ArchiveReport& report) {
    if (report.openResult != archive::kZipOk) {
        if (context.json) {
            JsonLine()
                .Add("archive", archive)
                .Add("open", static_cast<int64_t>(report.openResult))
                .Add("code", Hex(report.openResult))
                .Print();
        }
        return Fail("cannot open " + archive + ": " + archive::ZipResultText(report.openResult));
    }
    size_t failed = 0;
    for (const archive::ArchiveMemberResult& member : report.members) {
        if (member.result != archive::kZipOk)
            ++failed;
        const std::string name = ToTerminal(member.name);
        if (context.json) {
            JsonLine()
                .Add("index", member.index)
                .Add("name", name)
                .Add("size", static_cast<int64_t>(member.uncompressedSize))
                .Add("directory", (member.attr & platform::kAttrDirectory) != 0)
                .Add("result", static_cast<int64_t>(member.result))
                .Add("code", Hex(member.result))
                .Print();
        } else {
            char line[32];
            std::snprintf(line, sizeof line, "%-10s ", Hex(member.result).c_str());
            Print(line +
                  (member.result == archive::kZipOk || !name.empty()
                       ? name
                       : "#" + std::to_string(member.index)) +
                  "\n");
        }
    }
    if (!context.json) {
        Print(std::to_string(report.members.size()) + " members, " + std::to_string(failed) +
              " failed\n");
    }
    if (failed > 0) {
        return Fail(std::to_string(failed) + " of " + std::to_string(report.members.size()) +
                    " members of " + archive + " failed");
    }
    return kExitOk;
}

int RunUnzip(Context& context) {
    const bool testOnly = TakeFlag(context.flags, "--test");
    if (testOnly ? context.args.size() != 1 : context.args.size() != 2) {
        return UsageError(context, "unzip");
    }
    const std::string archive = FromTerminal(context.args[0]);
    if (!platform::PathExists(archive))
        return Fail("no such archive: " + context.args[0]);
    if (testOnly)
        return Report(context, context.args[0], archive::VerifyZipArchive(archive));
    const std::string target = FromTerminal(context.args[1]);
    platform::MakeDirectoryPath(target);
    if (!platform::IsDirectory(target))
        return Fail("cannot create directory " + context.args[1]);
    return Report(context, context.args[0], archive::ExtractArchive(archive, target));
}

const bool registered = RegisterCommand(
    {"unzip", "[--test] ARCHIVE [DIR]",
     "把压缩包的每一项解到 DIR（或只检查），显示每项结果（开发用）", RunUnzip, "--test"});

}  // namespace

}  // namespace vt::cli
