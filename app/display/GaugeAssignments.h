#pragma once
// The instrument panels' gauge assignments: per panel serial number, the name of the gauge it
// showed last, kept in "ZanFlightVexa.xml" beside the program so that every panel comes back on
// the same gauge. Read once at start, merged into the file at every simulator stop and pause.
// Get and Set are safe on any thread; Load and Save need COM on the calling thread.

#include <map>
#include <mutex>
#include <string>

class CGaugeAssignments {
public:
    static constexpr const wchar_t* kFileName = L"ZanFlightVexa.xml";

    // The file beside the running executable.
    CGaugeAssignments();
    explicit CGaugeAssignments(std::wstring filePath);
    CGaugeAssignments(const CGaugeAssignments&) = delete;
    CGaugeAssignments& operator=(const CGaugeAssignments&) = delete;

    const std::wstring& FilePath() const { return m_filePath; }

    // Reads every child element of the file's root as a "Serial" -> "Name" entry, a later one
    // replacing an earlier one; elements lacking either attribute are skipped. A missing or
    // malformed file leaves the assignments as they are.
    void Load();
    // Sets the "Name" of every element that holds an entry's serial number and appends "Vexa"
    // elements for the others; a missing or malformed file is replaced by a new list first.
    // Failures end the save quietly.
    void Save();

    // The gauge name assigned to the serial number, empty when there is none.
    std::wstring Get(const std::wstring& serialNumber) const;
    void Set(const std::wstring& serialNumber, const std::wstring& gaugeName);

private:
    using AssignmentMap = std::map<std::wstring, std::wstring>;

    AssignmentMap Copy() const;

    const std::wstring m_filePath;
    mutable std::mutex m_lock;
    AssignmentMap m_assignments; // serial number -> gauge name, exact code-unit order
};
