#include "General/Payload.h"

#include "Journal/Journal.h"
#include "Variable/Variable.h"
#include "core/errors.h"
#include "core/file_names.h"
#include "core/inflate.h"
#include "core/version.h"
#include "ui/message_dialog.h"
#include "win/background_sink.h"
#include "win/file_io.h"
#include "win/files.h"
#include "win/resources.h"
#include "win/version_info.h"

namespace {

std::string CopyFailureText(const std::string& fileName) {
    return "Impossible de copier le fichier \"" + fileName + "\". Vérifiez que " + Installer.AppName +
           " n'est pas déjà lancé !";
}

std::string DecompressionFailureText(const std::string& fileName) {
    return "Impossible de décompresser le fichier \"" + fileName +
           "\". Le programme d'installation est probablement endommagé.";
}

// A file this small is written and flushed on the calling thread: starting
// a writer thread and handing it the chunks cost more than the file itself
// (tens of milliseconds a file on a busy machine), and its flush holds the
// page no longer than a flush between two rings does.
constexpr uint64_t kWrittenHere = win::BackgroundSink::kFlushEvery;

bool Fail(const std::string& text) {
    ui::ShowErrorBox(text);
    return true;
}

}  // namespace

bool KeepsNewerVersion(const std::string& destination, int32_t version) {
    const std::string existing = win::GetFileVersionText(destination);
    return !existing.empty() && core::VersionToNumber(existing) > version;
}

std::string GetWindowsDir() { return win::WindowsFolder(); }

void RemoveInstallLeftovers(const std::string& folder) {
    for (const std::string& name : win::FileNamesIn(folder, "*.tmp"))
        if (core::IsInstallTempName(name, Installer.UninstallName) && win::DeletePlainFile(folder + name))
            Journal.Write("Fichier laissé par une installation interrompue, supprimé : " + folder + name);
}

bool ExtractPayload(const std::string& resourceName) {
    const auto bytes = win::FindRawData(resourceName);
    return bytes && win::WriteWholeFile(Installer.WorkDir + resourceName, *bytes);
}

bool DecompressPayload(const std::string& workDir, const std::string& destDir, const std::string& fileName,
                       int32_t byteCount, int32_t version, const std::function<void()>& onChunk) {
    const std::string destination = destDir + fileName;
    // A new file needs neither the version gate nor the check that a program
    // holds it.  Each of those looks the name up again, and under Wine a name
    // missing from a folder is looked for through the whole folder: with
    // thousands of files, the lookups cost more than the file.
    const bool replacing = win::FileExists(destination);
    if (replacing && KeepsNewerVersion(destination, version)) {
        Journal.Write("Fichier conservé, celui en place a une version plus récente : " + destination);
        return false;
    }
    if (byteCount <= 0) return Fail(DecompressionFailureText(fileName));

    // The caller has just written the work copy: not finding it is a fault of
    // the program, not of the payload, and travels up as an error.
    const std::string workCopy = workDir + fileName + ".Z";
    const win::FileHandle source = win::OpenForReading(workCopy);
    if (!source) throw core::Error("Impossible d'ouvrir le fichier \"" + workCopy + "\"");

    // A running program holds its file: say so before anything is written.
    if (replacing && win::FileInUse(destination)) return Fail(CopyFailureText(fileName));

    // The new file is written beside the old one and replaces it only once it
    // is whole, so that a damaged payload never costs the user a working file.
    const std::string temporary = win::CreateTempFileIn(
        destDir, [&](uint32_t random) { return core::InstallTempName(fileName, random, Installer.UninstallName); });
    if (temporary.empty()) return Fail(CopyFailureText(fileName));
    core::InflateStatus status;
    {
        const win::FileHandle target = win::CreateForWriting(temporary);
        if (!target) {
            win::DeleteFileIfPresent(temporary);
            return Fail(CopyFailureText(fileName));
        }
        win::FileSource input(source);
        win::FileSink file(target);
        core::InflateOptions options;
        options.onChunk = onChunk;
        if (static_cast<uint64_t>(byteCount) <= kWrittenHere) {
            status = core::InflateExactly(input, file, static_cast<uint64_t>(byteCount), options);
            if (status == core::InflateStatus::Ok && !file.Flush()) status = core::InflateStatus::WriteFailed;
        } else {
            // Writing and flushing go on beside the inflation, off this
            // thread, which keeps handling the page's messages while it
            // waits for them.
            win::BackgroundSink output(file, [&file] { return file.Flush(); }, onChunk);
            status = core::InflateExactly(input, output, static_cast<uint64_t>(byteCount), options);
            // Only a file that is whole and on the disk may take the old
            // one's place.  After a failed inflation the writer just stops.
            if (status == core::InflateStatus::Ok && !output.Finish()) status = core::InflateStatus::WriteFailed;
        }
    }
    if (status != core::InflateStatus::Ok) {
        win::DeleteFileIfPresent(temporary);
        return Fail(DecompressionFailureText(fileName));
    }
    if (!win::ReplaceWith(temporary, destination)) {
        win::DeleteFileIfPresent(temporary);
        return Fail(CopyFailureText(fileName));
    }
    Journal.Write("Fichier installé : " + destination);
    return false;
}
