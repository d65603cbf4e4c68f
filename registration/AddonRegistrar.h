#pragma once
// Installation and removal of the program's entries in the simulator's files, given the folders
// and the program path (InstallAddon and UninstallAddon look those up).

#include <string>

class CAddonRegistrar {
public:
    // `documentsFolder` and `programPath` are empty when they could not be obtained: the steps
    // that need them are skipped.
    CAddonRegistrar(std::wstring simulatorFolder, std::wstring documentsFolder,
                    std::wstring programPath);

    // Creates "SimConnect.ini" and "SimConnect.xml" when absent, then enters the program into
    // "exe.xml". True when "exe.xml" was written with the program's entry.
    bool Install() const;

    // Removes the program's first entry from "exe.xml". True when the file was rewritten.
    bool Uninstall() const;

    std::wstring LaunchFilePath() const;
    std::wstring SimConnectXmlPath() const;
    std::wstring SimConnectIniPath() const; // empty without a documents folder

private:
    void CreateSimConnectIni() const;
    void CreateSimConnectXml() const;
    bool InstallIntoLaunchFile() const;

    std::wstring m_simulatorFolder;
    std::wstring m_documentsFolder;
    std::wstring m_programPath;
};
