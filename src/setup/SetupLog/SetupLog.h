#pragma once
// The uninstall log setup.log: the inventory from which the separate
// uninstaller undoes an installation.  Its text is the contract with that
// program:
//
//   [Information]  Attention, Commentaire         fixed texts
//   [Setup]        Nom, DossierInstall, Desinstall, Run, Fichiers, DossierDemarrage
//                  DossierCree = the outermost folder above DossierInstall that
//                  the installation made, when it made any: it goes too
//   [Fichier_N]    Nom = full path of one created file or shortcut, N = 1..Fichiers
//                  Conserver = 1 when the file was there already, newer, and
//                  the installation left it: the uninstaller leaves it too
//
// Every call writes through to the file at once, in the bytes the platform's
// profile functions would write, so that a process that dies leaves every
// value written so far; each entry is also put on the disk before the run
// goes on to the next file, so that a power cut keeps it too.  A refused
// write raises core::Error "Impossible d'écrire dans <path>".

#include <cstdint>
#include <string>

#include "win/profile.h"
#include "win/profile_writer.h"

class TSetupLog {
public:
    // Writes the section Information and continues the numbering of an
    // existing log from its Fichiers value.
    explicit TSetupLog(const std::string& logPath);
    // Flushes the platform's cached copy of the file.
    ~TSetupLog();

    TSetupLog(const TSetupLog&) = delete;
    TSetupLog& operator=(const TSetupLog&) = delete;

    void SetName(const std::string& name);
    void SetInstallFolder(const std::string& folder);
    void SetStartMenuFolder(const std::string& folder);
    void SetUninstallName(const std::string& name);
    void SetRunName(const std::string& name);
    void SetCreatedFolder(const std::string& folder);
    void SetFileCount(int32_t n);
    // Records one more created item under [Fichier_<count + 1>].
    void AddFile(const std::string& path);
    // Records a file that the version gate kept: another program's newer
    // copy, which the installation did not write and must not take away.
    void AddKeptFile(const std::string& path);

    int32_t EntryCount() const { return entryCount_; }

private:
    void Add(const std::string& path, bool kept);
    void Write(const std::string& section, const std::string& key, const std::string& value);

    win::ProfileFile logFile_;  // reads the count, and drops the platform's cached copy at the end
    win::ProfileWriter writer_;
    int32_t entryCount_ = 0;
};
