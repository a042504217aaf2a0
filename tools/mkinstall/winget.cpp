#include "winget.h"

#include <algorithm>
#include <optional>

#include "command_line.h"
#include "core/ini.h"
#include "core/setup_manifest.h"
#include "core/sha256.h"
#include "core/text.h"
#include "pe_resources.h"

namespace mkinstall {

namespace {

constexpr const char* kManifestVersion = "1.10.0";
// The installer's texts are French.
constexpr const char* kLocale = "fr-FR";
constexpr uint16_t kRtManifest = 24;
constexpr size_t kMaxIdentifierPart = 32;
constexpr size_t kMaxIdentifier = 128;
constexpr size_t kMaxUrl = 2048;

size_t CharacterCount(std::string_view utf8) {
    return std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

// Blanks, and the characters a file name cannot hold: the schema refuses
// them in an identifier, whose parts name the repository's folders.
bool RefusedInIdentifier(unsigned char c) {
    return c <= 0x20 || c == 0x7F || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

// A double-quoted YAML scalar: every value is quoted, so that neither a
// version such as 2.1 (a number), a "#", a ": " nor a leading "&", "*" or
// "!" changes what it means.  The text is UTF-8 already.
std::string Quoted(std::string_view utf8) {
    std::string out = "\"";
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') out += std::string("\\") + ch;
        else if (c < 0x20 || c == 0x7F) out += "\\x" + core::HexText(c, 2);
        else out += ch;
    }
    return out + "\"";
}

// The ASCII letters a Windows-1252 letter is written with when accents are
// dropped, for a placeholder identifier that every tool accepts.
std::string AsciiLetters(unsigned char c) {
    static constexpr const char* kLatin1[64] = {
        "A", "A", "A", "A", "A",  "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I",  "I",
        "D", "N", "O", "O", "O",  "O", "O",  "",  "O", "U", "U", "U", "U", "Y", "TH", "ss",
        "a", "a", "a", "a", "a",  "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
        "d", "n", "o", "o", "o",  "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y"};
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-')
        return std::string(1, static_cast<char>(c));
    if (c >= 0xC0) return kLatin1[c - 0xC0];
    switch (c) {
    case 0x8A: return "S";
    case 0x8C: return "OE";
    case 0x8E: return "Z";
    case 0x9A: return "s";
    case 0x9C: return "oe";
    case 0x9E: return "z";
    case 0x9F: return "Y";
    default: return "";
    }
}

std::string IdentifierPart(const std::string& cp1252, const char* fallback) {
    std::string part;
    for (const char c : cp1252) part += AsciiLetters(static_cast<unsigned char>(c));
    if (part.size() > kMaxIdentifierPart) part.resize(kMaxIdentifierPart);
    return part.empty() ? fallback : part;
}

std::string PercentEncoded(const std::string& utf8) {
    std::string out;
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
            std::string_view("-._~").find(ch) != std::string_view::npos)
            out += ch;
        else out += "%" + core::HexText(c, 2);
    }
    return out;
}

std::string UpperHex(const core::Sha256Digest& digest) {
    std::string text;
    for (const uint8_t byte : digest) text += core::HexText(byte, 2);
    return text;
}

const char* ArchitectureOf(const Bytes& installer) {
    return pe::ReadImageKind(installer).machine == pe::kMachineAmd64 ? "x64" : "x86";
}

// The level="..." of the application manifest's requestedExecutionLevel,
// or nothing when the installer carries no manifest or the manifest asks
// for no level.
std::optional<std::string> RequestedExecutionLevel(const Bytes& installer) {
    for (const pe::Resource& resource : pe::ReadResources(installer)) {
        if (resource.type != pe::Id::Number(kRtManifest)) continue;
        const std::string xml(resource.data.begin(), resource.data.end());
        const size_t element = xml.find("requestedExecutionLevel");
        if (element == std::string::npos) continue;
        const size_t end = xml.find('>', element);
        const size_t level = xml.find("level=", element);
        if (level == std::string::npos || level > end || level + 7 > xml.size()) continue;
        const char quote = xml[level + 6];
        const size_t close = xml.find(quote, level + 7);
        if (close == std::string::npos) continue;
        return xml.substr(level + 7, close - level - 7);
    }
    return std::nullopt;
}

std::string Header(const char* schema) {
    return std::string("# yaml-language-server: $schema=https://aka.ms/winget-manifest.") + schema + "." +
           kManifestVersion + ".schema.json\n\n";
}

std::string Footer(const char* type) {
    return std::string("ManifestType: ") + Quoted(type) + "\nManifestVersion: " + Quoted(kManifestVersion) + "\n";
}

// Every exit code of the installer but 0, with the closest response winget
// knows.  1 and 3 have no response of their own: "contactSupport" is what
// winget offers for a failure that the person cannot mend by trying again
// with other choices (the journal names what failed).
constexpr struct {
    int code;
    const char* response;
    const char* meaning;
} kReturnCodes[] = {
    {1, "contactSupport", "the run failed; what it installed stays recorded"},
    {2, "cancelledByUser", "cancelled by the person"},
    {3, "contactSupport", "could not start: no writable work folder, unusable manifest or damaged installer"},
    {4, "invalidParameter", "bad command line: nothing installed"},
    {5, "downgrade", "a newer version is installed and was kept"},
    {6, "installInProgress", "another installation or removal of the application is running"},
};

}  // namespace

bool IsPackageIdentifier(std::string_view utf8) {
    if (CharacterCount(utf8) > kMaxIdentifier) return false;
    size_t parts = 0;
    size_t at = 0;
    while (true) {
        const size_t dot = std::min(utf8.find('.', at), utf8.size());
        const std::string_view part = utf8.substr(at, dot - at);
        const size_t characters = CharacterCount(part);
        if (characters < 1 || characters > kMaxIdentifierPart) return false;
        for (const char c : part)
            if (RefusedInIdentifier(static_cast<unsigned char>(c))) return false;
        if (part.find("\xC2\xA0") != std::string_view::npos) return false;  // a no-break space is a blank too
        ++parts;
        if (dot == utf8.size()) break;
        at = dot + 1;
    }
    return parts >= 2 && parts <= 8;
}

bool IsInstallerUrl(std::string_view text) {
    for (const std::string_view scheme : {"http://", "https://"}) {
        if (text.size() > scheme.size() && core::EqualsIgnoreCase(text.substr(0, scheme.size()), scheme) &&
            CharacterCount(text) <= kMaxUrl && text.find_first_of("\r\n") == std::string_view::npos)
            return true;
    }
    return false;
}

void CheckWingetRequest(const WingetRequest& request, bool sizes) {
    if ((!request.id.empty() || !request.url.empty()) && request.folder.empty())
        throw UsageError("--winget-id and --winget-url go with --winget");
    if (sizes && !request.folder.empty())
        throw UsageError("--sizes writes a manifest, which --winget cannot describe");
    if (!request.id.empty() && !IsPackageIdentifier(request.id))
        throw UsageError("--winget-id \"" + request.id +
                         "\" is no winget identifier: 2 to 8 parts joined by \".\", as Publisher.Package, of 1 to "
                         "32 characters without blanks or \\/:*?\"<>|");
    if (!request.url.empty() && !IsInstallerUrl(request.url))
        throw UsageError("--winget-url \"" + request.url + "\" is no http:// or https:// address");
}

WingetManifests DescribeForWinget(const WingetRequest& request, const Bytes& manifest, const Bytes& installer,
                                  const std::string& installerName) {
    const core::IniFile ini = core::IniFile::Parse(std::string_view(reinterpret_cast<const char*>(manifest.data()),
                                                                    manifest.size()));
    core::SetupValues setup;
    WingetManifests result;
    // An installer built by --force from such a manifest cannot start:
    // there is nothing to describe.
    if (core::ReadSetupSection(ini, setup) != core::SetupOk) {
        result.notes.push_back("winget: the manifest's [Setup] section has errors; no winget manifests were written");
        return result;
    }
    const std::string name = core::Cp1252ToUtf8(setup.AppName);
    const std::string version = core::Cp1252ToUtf8(setup.AppVersion);
    const std::string publisher = core::Cp1252ToUtf8(setup.Publisher);

    std::string id = request.id;
    if (id.empty()) {
        id = IdentifierPart(setup.Publisher.empty() ? setup.AppName : setup.Publisher, "Publisher") + "." +
             IdentifierPart(setup.AppName, "Package");
        result.notes.push_back("winget: the PackageIdentifier \"" + id +
                               "\" is a placeholder made from Editeur and Nom; name yours with --winget-id");
    }
    std::string url = request.url;
    if (url.empty()) {
        url = "https://example.invalid/TODO/" + PercentEncoded(installerName);
        result.notes.push_back("winget: the InstallerUrl is a placeholder; give the download address with --winget-url");
    }
    // winget refuses a one-letter name or publisher.
    if (CharacterCount(name) < 2 || CharacterCount(publisher) == 1)
        result.notes.push_back("winget: winget wants Nom and Editeur of 2 characters at least; correct PackageName "
                               "and Publisher by hand");
    if (version.find_first_of("\\/:*?\"<>|") != std::string::npos)
        result.notes.push_back("winget: the Version \"" + version +
                               "\" holds characters winget refuses in PackageVersion; correct it in the three files");

    const std::string identity = "PackageIdentifier: " + Quoted(id) + "\nPackageVersion: " + Quoted(version) + "\n";

    result.files.push_back({id + ".yaml", Header("version") + identity + "DefaultLocale: " + Quoted(kLocale) + "\n" +
                                              Footer("version")});

    std::string text = Header("installer") + identity;
    text += "InstallerLocale: " + Quoted(kLocale) + "\n";
    text += "InstallerType: \"exe\"\n";
    // The uninstall entry goes under HKEY_LOCAL_MACHINE and the files under
    // Program Files.
    text += "Scope: \"machine\"\n";
    text += "InstallModes:\n  - \"interactive\"\n  - \"silent\"\n  - \"silentWithProgress\"\n";
    text += "InstallerSwitches:\n";
    text += "  Silent: \"/VERYSILENT\"\n";
    text += "  SilentWithProgress: \"/SILENT\"\n";
    text += "  InstallLocation: " + Quoted("/DIR=\"<INSTALLPATH>\"") + "\n";
    text += "  Log: " + Quoted("/LOG=\"<LOGPATH>\"") + "\n";
    text += "ExpectedReturnCodes:\n";
    for (const auto& code : kReturnCodes)
        text += "  - InstallerReturnCode: " + std::to_string(code.code) + "  # " + code.meaning +
                "\n    ReturnResponse: " + Quoted(code.response) + "\n";
    const std::optional<std::string> level = RequestedExecutionLevel(installer);
    if (level == "requireAdministrator") text += "ElevationRequirement: \"elevationRequired\"\n";
    else result.notes.push_back("winget: the installer's application manifest asks for no administrator rights;"
                                " no ElevationRequirement was written");
    // What the installer writes in its uninstall entry, whose key is the
    // entry's name, so that winget recognises the installed package.
    text += "AppsAndFeaturesEntries:\n  - DisplayName: " + Quoted(name) + "\n";
    if (!publisher.empty()) text += "    Publisher: " + Quoted(publisher) + "\n";
    text += "    DisplayVersion: " + Quoted(version) + "\n";
    text += "    ProductCode: " + Quoted(core::Cp1252ToUtf8(setup.UninstallName)) + "\n";
    text += "Installers:\n";
    text += std::string("  - Architecture: ") + Quoted(ArchitectureOf(installer)) + "\n";
    text += "    InstallerUrl: " + Quoted(url) + "\n";
    text += "    InstallerSha256: " + Quoted(UpperHex(core::Sha256(installer))) + "\n";
    result.files.push_back({id + ".installer.yaml", text + Footer("installer")});

    const std::string localeFile = id + ".locale." + kLocale + ".yaml";
    text = Header("defaultLocale") + identity;
    text += "PackageLocale: " + Quoted(kLocale) + "\n";
    text += "Publisher: " + Quoted(publisher.empty() ? "TODO: the publisher" : publisher) + "\n";
    text += "PackageName: " + Quoted(name) + "\n";
    text += "License: " + Quoted("TODO: the licence, e.g. Proprietary") + "\n";
    text += "ShortDescription: " + Quoted("TODO: what " + name + " does, in one sentence") + "\n";
    result.files.push_back({localeFile, text + Footer("defaultLocale")});
    result.notes.push_back("winget: fill in the TODO placeholders of " + localeFile + " (" +
                           (publisher.empty() ? "Publisher, " : "") + "License, ShortDescription)");
    return result;
}

std::vector<std::string> WriteWingetManifests(const WingetRequest& request, const Bytes& manifest,
                                              const std::filesystem::path& installer) {
    const WingetManifests manifests =
        DescribeForWinget(request, manifest, ReadBytes(installer), Utf8(installer.filename()));
    if (!manifests.files.empty()) std::filesystem::create_directories(request.folder);
    for (const WingetFile& file : manifests.files)
        WriteBytes(request.folder / PathFromUtf8(file.name), Bytes(file.text.begin(), file.text.end()));
    return manifests.notes;
}

}  // namespace mkinstall
