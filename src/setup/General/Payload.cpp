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
// page no longer than a flush in the middle of a larger file does.
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
    const bool replacing = win::FileExists(destination);
    if (replacing && KeepsNewerVersion(destination, version)) {
        Journal.Write("Fichier conservé, celui en place a une version plus récente : " + destination);
        return false;
    }
    return InflatePayload(workDir + fileName + ".Z", destDir, fileName, byteCount,
                          replacing ? Placement::Replacing : Placement::MovedIntoPlace, onChunk);
}

bool InflatePayload(const std::string& workCopy, const std::string& destDir, const std::string& fileName,
                    int32_t byteCount, Placement placement, const std::function<void()>& onChunk) {
    const std::string destination = destDir + fileName;
    if (byteCount <= 0) return Fail(DecompressionFailureText(fileName));

    // The caller has just written the work copy: not finding it is a fault of
    // the program, not of the payload, and travels up as an error.
    const win::FileHandle source = win::OpenForReading(workCopy);
    if (!source) throw core::Error("Impossible d'ouvrir le fichier \"" + workCopy + "\"");

    // A running program holds its file: say so before anything is written.
    const bool replacing = placement == Placement::Replacing;
    if (replacing && win::FileInUse(destination)) return Fail(CopyFailureText(fileName));

    win::NewFile target;
    if (placement == Placement::FreshName) {
        target = {destination, win::CreateNewForWriting(destination)};
    } else {
        target = win::CreateTempFileIn(destDir, [&](uint32_t random) {
            return core::InstallTempName(fileName, random, Installer.UninstallName);
        });
    }
    if (!target.file) return Fail(CopyFailureText(fileName));

    core::InflateStatus status;
    {
        const win::FileHandle file = std::move(target.file);
        win::FileSource input(source);
        win::FileSink sink(file);
        core::InflateOptions options;
        options.onChunk = onChunk;
        if (static_cast<uint64_t>(byteCount) <= kWrittenHere) {
            status = core::InflateExactly(input, sink, static_cast<uint64_t>(byteCount), options);
            // Only a file that replaces another must be on the disk first; a
            // new one costs nobody anything if a power cut takes it.
            if (status == core::InflateStatus::Ok && replacing && !sink.Flush())
                status = core::InflateStatus::WriteFailed;
        } else {
            // Writing and flushing go on beside the inflation, off this
            // thread, which keeps handling the page's messages while it
            // waits for them.  The flushes keep the disk in step with the
            // inflation, whatever the file replaces.
            win::BackgroundSink output(sink, [&sink] { return sink.Flush(); }, onChunk);
            status = core::InflateExactly(input, output, static_cast<uint64_t>(byteCount), options);
            // After a failed inflation the writer just stops.
            if (status == core::InflateStatus::Ok && !output.Finish()) status = core::InflateStatus::WriteFailed;
        }
    }
    if (status != core::InflateStatus::Ok) {
        win::DeleteFileIfPresent(target.path);
        return Fail(DecompressionFailureText(fileName));
    }
    if (placement != Placement::FreshName && !win::ReplaceWith(target.path, destination)) {
        win::DeleteFileIfPresent(target.path);
        return Fail(CopyFailureText(fileName));
    }
    Journal.Write("Fichier installé : " + destination);
    return false;
}
