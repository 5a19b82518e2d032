#include "payload/page_text.h"

#include <utility>

namespace mervalis {

std::string ReplaceFirst(std::string_view text, std::string_view tag, std::string_view replacement) {
    std::string result(text);
    const auto pos = text.find(tag);
    if (pos != std::string_view::npos) result.replace(pos, tag.size(), replacement);
    return result;
}

std::vector<std::string> StubPageLines(std::string_view wallpaperKey, std::string_view controlPath) {
    std::string body = "<BODY BGCOLOR=\"#000000\" BACKGROUND=\"";
    body += kImagesFolderName;
    body += '/';
    body += wallpaperKey;
    body += '/';
    body += kBackgroundName;
    body += "\">";

    std::string classId = "\t\tCLASSID=\"clsid:";
    classId += kRuntimeControlClassId;
    classId += '"';

    std::string codeBase = "\t\tCODEBASE=\"";
    codeBase += controlPath;
    codeBase += "#version=";
    codeBase += kRuntimeControlVersion;
    codeBase += '"';

    return {
        "<HTML>",
        "<HEAD>",
        "\t<TITLE>" + std::string(kCompanyName) + "</TITLE>",
        "</HEAD>",
        std::move(body),
        "\t<OBJECT",
        std::move(classId),
        std::move(codeBase),
        "\t\tWIDTH=\"0\" HEIGHT=\"0\" HSPACE=\"0\" VSPACE=\"0\"",
        "\t></OBJECT>",
        "</BODY>",
        "</HTML>",
    };
}

std::string StubPageText(std::string_view wallpaperKey, std::string_view controlPath) {
    std::string text;
    for (const auto& line : StubPageLines(wallpaperKey, controlPath)) {
        text += line;
        text += "\r\n";
    }
    return text;
}

}  // namespace mervalis
