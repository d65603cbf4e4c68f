#include "registration/AddonRegistrar.h"

#include "registration/LaunchFile.h"
#include "registration/LaunchListCheck.h"
#include "registration/TextFile.h"
#include "registration/XmlText.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

constexpr char kSimConnectIni[] = "[SimConnect]\n"
                                  "level=off\n"
                                  "console=0\n"
                                  ";OutputDebugString=0\n"
                                  ";file=c:\\SimConnect%03u.log\n"
                                  ";file_next_index=1\n"
                                  ";RedirectStdOutToConsole=0\n";

constexpr char kSimConnectXml[] = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
                                  "<SimBase.Document Type=\"SimConnect\" version=\"1,0\">\n"
                                  "\t<Descr>SimConnect</Descr>\n"
                                  "\t<Filename>SimConnect.xml</Filename>\n"
                                  "\t<Disabled>False</Disabled>\n"
                                  "\t<SimConnect.Comm>\n"
                                  "\t\t<Disabled>False</Disabled>\n"
                                  "\t\t<Protocol>Auto</Protocol>\n"
                                  "\t\t<Scope>local</Scope>\n"
                                  "\t\t<Address></Address>\n"
                                  "\t\t<MaxClients>64</MaxClients>\n"
                                  "\t\t<Port></Port>\n"
                                  "\t\t<MaxRecvSize>4096</MaxRecvSize>\n"
                                  "\t\t<DisableNagle>False</DisableNagle>\n"
                                  "\t</SimConnect.Comm>\n"
                                  "</SimBase.Document>\n";

constexpr char kEnabledLine[] = "\t\t\t<Disabled>False</Disabled>\n";
constexpr char kCommandLine[] = "\t\t\t<CommandLine>-run</CommandLine>\n";

// Launchers of other programs that this program replaces.
constexpr const wchar_t* kReplacedLaunchers[] = {L"ZanPanels.exe", L"ZephylPlugin.exe"};

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Absent, as opposed to present but unreadable (which must never be taken for absent and
// overwritten).
bool FileIsAbsent(const std::wstring& path) {
    if (FileExists(path))
        return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsReplacedLauncher(const std::wstring& program) {
    const size_t backslash = program.rfind(L'\\');
    if (backslash == std::wstring::npos)
        return false;
    const std::wstring fileName = program.substr(backslash + 1);
    return std::any_of(
        std::begin(kReplacedLaunchers), std::end(kReplacedLaunchers),
        [&](const wchar_t* launcher) { return EqualsIgnoringCase(fileName, launcher); });
}

LaunchAddon NewAddon(const char* nameLine, const std::wstring& programPath, TextEncoding encoding) {
    LaunchAddon addon;
    addon.name = nameLine;
    addon.disabled = kEnabledLine;
    addon.path = "\t\t\t<Path>" + EncodeXmlText(programPath, encoding) + "</Path>\n";
    addon.commandLine = kCommandLine;
    return addon;
}

LaunchFile NewLaunchFile(const std::wstring& programPath) {
    LaunchFile file;
    file.encoding = TextEncoding::Windows1252;
    file.declaration = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n";
    file.document = "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n";
    file.description = "\t<Descr>Launch</Descr>\n";
    file.fileName = "\t<Filename>exe.xml</Filename>\n";
    file.disabled = "\t<Disabled>False</Disabled>\n";
    file.manualLoad = "\t<Launch.ManualLoad>False</Launch.ManualLoad>\n";
    file.addons.push_back(
        NewAddon("\t\t\t<Name>Harmel Plugin for FSW</Name>\n", programPath, file.encoding));
    return file;
}

std::vector<LaunchAddon>::iterator FindProgramEntry(LaunchFile& file,
                                                    const std::wstring& programPath) {
    return std::find_if(file.addons.begin(), file.addons.end(), [&](const LaunchAddon& addon) {
        return EqualsIgnoringCase(addon.ProgramPath(file.encoding), programPath);
    });
}

// Writes `file` over the launch list unless that would break it or lose an entry the operation
// does not mean to take out; a refused rewrite leaves the old file as it was.
bool ReplaceLaunchFile(const std::wstring& path, const LaunchFile& file,
                       const DroppableEntry& droppable) {
    return WriteLaunchFile(path, file, [&](const std::wstring& written) {
        return RewriteKeepsLaunchList(path, written, droppable);
    });
}

} // namespace

CAddonRegistrar::CAddonRegistrar(std::wstring simulatorFolder, std::wstring documentsFolder,
                                 std::wstring programPath)
    : m_simulatorFolder(std::move(simulatorFolder)), m_documentsFolder(std::move(documentsFolder)),
      m_programPath(std::move(programPath)) {}

std::wstring CAddonRegistrar::LaunchFilePath() const {
    return m_simulatorFolder + L"\\exe.xml";
}

std::wstring CAddonRegistrar::SimConnectXmlPath() const {
    return m_simulatorFolder + L"\\SimConnect.xml";
}

std::wstring CAddonRegistrar::SimConnectIniPath() const {
    if (m_documentsFolder.empty())
        return {};
    return m_documentsFolder + L"\\Flight Sim World\\SimConnect.ini";
}

bool CAddonRegistrar::Install() const {
    CreateSimConnectIni();
    CreateSimConnectXml();
    return InstallIntoLaunchFile();
}

bool CAddonRegistrar::Uninstall() const {
    const std::wstring path = LaunchFilePath();
    LaunchFile file;
    if (m_programPath.empty() || !FileExists(path) || !ReadLaunchFile(path, file) || file.IsEmpty())
        return false;
    const auto entry = FindProgramEntry(file, m_programPath);
    if (entry != file.addons.end())
        file.addons.erase(entry);
    return ReplaceLaunchFile(path, file, [&](const std::wstring& program) {
        return EqualsIgnoringCase(program, m_programPath);
    });
}

void CAddonRegistrar::CreateSimConnectIni() const {
    const std::wstring path = SimConnectIniPath();
    if (!path.empty() && !FileExists(path))
        WriteTextFile(path, kSimConnectIni, false);
}

void CAddonRegistrar::CreateSimConnectXml() const {
    const std::wstring path = SimConnectXmlPath();
    if (!FileExists(path))
        WriteTextFile(path, kSimConnectXml, false);
}

bool CAddonRegistrar::InstallIntoLaunchFile() const {
    if (m_programPath.empty())
        return false;
    const std::wstring path = LaunchFilePath();
    LaunchFile file;
    if (!FileIsAbsent(path) && !ReadLaunchFile(path, file))
        return false;
    if (file.IsEmpty()) {
        // A blank launch list is as good as missing.
        file = NewLaunchFile(m_programPath);
    } else {
        const auto entry = FindProgramEntry(file, m_programPath);
        if (entry != file.addons.end())
            entry->disabled = kEnabledLine; // re-enables an entry the user disabled
        else
            file.addons.push_back(NewAddon("\t\t\t<Name>Harmel Plugin for FSX</Name>\n",
                                           m_programPath, file.encoding));
        std::erase_if(file.addons, [&](const LaunchAddon& addon) {
            return IsReplacedLauncher(addon.ProgramPath(file.encoding));
        });
    }
    return ReplaceLaunchFile(path, file, IsReplacedLauncher);
}
