#include "registration/AddonRegistrar.h"

#include "registration/LaunchFile.h"
#include "registration/TextFile.h"
#include "registration/XmlText1252.h"

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

bool StartsReplacedLauncher(const LaunchAddon& addon) {
    const std::wstring program = addon.ProgramPath();
    const size_t backslash = program.rfind(L'\\');
    if (backslash == std::wstring::npos)
        return false;
    const std::wstring fileName = program.substr(backslash + 1);
    return std::any_of(
        std::begin(kReplacedLaunchers), std::end(kReplacedLaunchers),
        [&](const wchar_t* launcher) { return EqualsIgnoringCase(fileName, launcher); });
}

std::string PathLine(const std::wstring& programPath) {
    return "\t\t\t<Path>" + EncodeXmlText1252(programPath) + "</Path>\n";
}

LaunchAddon NewAddon(const char* nameLine, const std::wstring& programPath) {
    LaunchAddon addon;
    addon.name = nameLine;
    addon.disabled = kEnabledLine;
    addon.path = PathLine(programPath);
    addon.commandLine = kCommandLine;
    return addon;
}

LaunchFile NewLaunchFile(const std::wstring& programPath) {
    LaunchFile file;
    file.declaration = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n";
    file.document = "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n";
    file.description = "\t<Descr>Launch</Descr>\n";
    file.fileName = "\t<Filename>exe.xml</Filename>\n";
    file.disabled = "\t<Disabled>False</Disabled>\n";
    file.manualLoad = "\t<Launch.ManualLoad>False</Launch.ManualLoad>\n";
    file.addons.push_back(NewAddon("\t\t\t<Name>Harmel Plugin for FSW</Name>\n", programPath));
    return file;
}

std::vector<LaunchAddon>::iterator FindProgramEntry(LaunchFile& file,
                                                    const std::wstring& programPath) {
    return std::find_if(file.addons.begin(), file.addons.end(), [&](const LaunchAddon& addon) {
        return EqualsIgnoringCase(addon.ProgramPath(), programPath);
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
    if (m_programPath.empty() || !FileExists(path) || !ReadLaunchFile(path, file))
        return false;
    const auto entry = FindProgramEntry(file, m_programPath);
    if (entry != file.addons.end())
        file.addons.erase(entry);
    return WriteLaunchFile(path, file);
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
    if (FileIsAbsent(path))
        return WriteLaunchFile(path, NewLaunchFile(m_programPath));

    LaunchFile file;
    if (!ReadLaunchFile(path, file))
        return false;
    const auto entry = FindProgramEntry(file, m_programPath);
    if (entry != file.addons.end())
        entry->disabled = kEnabledLine; // re-enables an entry the user disabled
    else
        file.addons.push_back(
            NewAddon("\t\t\t<Name>Harmel Plugin for FSX</Name>\n", m_programPath));
    std::erase_if(file.addons, StartsReplacedLauncher);
    return WriteLaunchFile(path, file);
}
