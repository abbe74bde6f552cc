#include "drm/cli/tool_arguments.h"

const char* const kDrmToolUsage =
    "usage: castora-drm protect --url SERVICE_URL --user U --password P --out DIR FILE...\n"
    "       castora-drm info FILE\n"
    "       castora-drm decrypt --url SERVICE_URL --user U --password P IN OUT\n"
    "       castora-drm profile-info FILE --password P\n";

bool ParseToolArguments(const QStringList& arguments, ToolArguments* parsed, QString* error) {
    ToolArguments result;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        QString* option = word == "--url"        ? &result.url
                          : word == "--user"     ? &result.user
                          : word == "--password" ? &result.password
                          : word == "--out"      ? &result.out
                                                 : nullptr;
        if (option) {
            if (i + 1 >= arguments.size()) {
                *error = word + " needs a value";
                return false;
            }
            *option = arguments[++i];
        } else if (word.startsWith("--")) {
            *error = "unknown option " + word;
            return false;
        } else if (result.command.isEmpty()) {
            result.command = word;
        } else {
            result.files << word;
        }
    }
    *parsed = result;
    return true;
}
