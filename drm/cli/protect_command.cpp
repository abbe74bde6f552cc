// castora-drm protect: what the DRM protect page does for each file, from a script:
// a new name, the protect routine with the company's material, uploadVideo with the key id.

#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "drm/cli/drm_commands.h"
#include "drm/cli/tool_arguments.h"
#include "drm/cli/tool_sign_in.h"
#include "drm/protect_routine.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <ctime>

namespace {

int OnlyAudio(const QString& name) {
    const QString suffix = name.right(3).toLower();
    return suffix == "wma" || suffix == "mp3" ? 1 : 0;
}

// The page's name for a protected file: the local time and rand() + 10000, the
// generator seeded once per run so that files of the same second differ; a name that
// a file already has is drawn again rather than overwritten.
QString NewOutputName(const QDir& folder, const QString& extension) {
    QString name;
    do
        name = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")) +
               QString::number(static_cast<long long>(std::rand()) + 10000) + extension;
    while (folder.exists(name));
    return name;
}

}  // namespace

int RunProtect(const ToolArguments& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.out.isEmpty() || arguments.files.isEmpty()) {
        err << kDrmToolUsage;
        return kExitUsage;
    }
    const QDir folder(arguments.out);
    if (!folder.exists()) {
        err << "castora-drm: no folder " << arguments.out << "\n";
        return kExitUsage;
    }
    QString error;
    if (!SignInForTool(arguments, &error)) {
        err << "castora-drm: " << error << "\n";
        return kExitSignIn;
    }
    const AccountInfo& account = Globals().account;
    if (account.drmCount <= 0) {
        err << "castora-drm: 您的DRM服务余额为零！\n";
        return kExitRefused;
    }
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    int failures = 0;
    for (const QString& file : arguments.files) {
        const QFileInfo input(file);
        const QString extension = input.suffix().isEmpty() ? QString() : "." + input.suffix();
        const QString name = NewOutputName(folder, extension);
        const QString output = folder.filePath(name);
        QString kid;
        const drm::HRESULT hr = ProtectMediaFile(account.drmSeed, account.drmPrivateKey, account.drmUrl, file, output, &kid);
        if (drm::Failed(hr)) {
            err << "castora-drm: " << QString("加密文件%1失败！").arg(input.fileName()) << " ("
                << drm::ResultText(hr) << ")\n";
            ++failures;
            continue;
        }
        ClientService::TVideo video;
        video.kid = kid;
        video.uploadName = name;
        video.videoName = input.fileName();
        video.videoSize = QFileInfo(output).size();
        video.onlyAudio = OnlyAudio(input.fileName());
        if (!SvcUploadVideo(video)) {
            err << "castora-drm: " << QString("文件%1信息入库失败！").arg(input.fileName()) << "\n";
            ++failures;
        }
        out << "kid=" << kid << "\noutput=" << output << "\n";
        out.flush();
    }
    SvcLogOut();
    return failures == 0 ? kExitOk : kExitFailed;
}
