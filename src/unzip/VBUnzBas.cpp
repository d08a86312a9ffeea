#include "unzip/VBUnzBas.h"

#include "platform/WorkerThread.h"
#include "unzip/UnzipCodes.h"
#include "unzip/UnzipNames.h"
#include "unzip/UnzipOptions.h"
#include "unzip/UnzipPrompts.h"
#include "unzip/UnzipThread.h"

#include <QObject>

namespace norvane {

int VBUnzBas::UnzipArchive() {
    return UnzipArchive(unzip::planFromOptions(UnzipOptions));
}

int VBUnzBas::UnzipArchive(const unzip::Plan& plan) {
    if (m_running)
        return unzip::Aborted;
    m_running = true;
    m_files.clear();
    m_failure = {};

    unzip::ExtractRequest request;
    request.archivePath = archivePath;
    request.extractFolder = extractFolder;
    request.stick = stick;
    request.plan = plan;
    request.include = includeList;
    request.exclude = excludeList;
    request.spaceLimitBytes = spaceLimitBytes;
    request.fatNames = unzip::isFatFamily(fileSystem);

    // Lives on the calling thread: the worker's questions and progress run through it.
    QObject home;
    unzip::Prompts prompts(m_questions, SkipPassword);
    unzip::ExtractHooks hooks;
    hooks.askReplace = [&](const QString& name) {
        return unzip::callOnThreadOf(home, [&] { return prompts.askReplace(name); });
    };
    hooks.askPassword = [&] { return unzip::callOnThreadOf(home, [&] { return prompts.askPassword(); }); };
    if (onMember)
        hooks.onMember = [&home, report = onMember](int done, int total) {
            unzip::postToThreadOf(home, [report, done, total] { report(done, total); });
        };

    unzip::ExtractResult result;
    platform::runOnWorkerAndWait([&] { result = unzip::extractArchive(request, hooks); });
    m_files = std::move(result.files);
    m_failure = result.failure;
    m_running = false;
    prompts.showResult(result.code);
    return result.code;
}

QStringList VBUnzBas::extractedFiles() const {
    QStringList paths;
    for (const unzip::ExtractedFile& file : m_files)
        paths << file.path;
    return paths;
}

} // namespace norvane
