#pragma once
// Extracts a cabinet (and the cabinets that continue it) into a folder through the platform's
// cabinet decompressor. One extractor serves one extraction.

#include "pages/gauge/files/CabinetLibrary.h"

#include <windows.h>

#include <fdi.h>

#include <string>

class CCabExtractor {
public:
    // The extractor's own error codes; 0 to 11 are the decompressor's.
    static constexpr int kCouldNotLoadLibrary = 1000;
    static constexpr int kInvalidParameters = 1001;
    static constexpr int kUnicodeCabinetName = 1002;
    static constexpr int kPathTooLong = 1005;

    explicit CCabExtractor(const CCabinetLibrary& library = GetCabinetLibrary());
    ~CCabExtractor();
    CCabExtractor(const CCabExtractor&) = delete;
    CCabExtractor& operator=(const CCabExtractor&) = delete;

    // Writes every file of `archive` below `folder`, with the archive's subfolders, times and
    // attributes; entries whose names lead outside the folder are skipped. On failure after the
    // decompressor was set up, the error text is written as a debug trace.
    bool Extract(const wchar_t* archive, const wchar_t* folder);

    // 0 while no error is flagged; else the extractor's own code when it set one, otherwise the
    // decompressor's.
    int ErrorCode() const;
    // "Success", or the code's text, followed by "\nError <n>: <system text>" when the
    // decompressor recorded a Windows error.
    std::wstring ErrorText() const;
    // The text of an error code ("Unknown error" for codes outside the table).
    static const wchar_t* MessageOfCode(int code);

private:
    bool CreateContext();
    void DestroyContext();
    bool Run(const std::string& archive, const std::string& folder);
    bool CopyCabinet(const std::string& name, const std::string& directory);
    bool Fail(int code);

    static INT_PTR DIAMONDAPI Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION notification);
    INT_PTR OnCopyFile(const FDINOTIFICATION& notification);
    INT_PTR OnCloseFileInfo(const FDINOTIFICATION& notification);
    INT_PTR OnNextCabinet(const FDINOTIFICATION& notification);

    const CCabinetLibrary& m_library;
    HFDI m_context = nullptr;
    ERF m_erf = {};
    int m_overrideCode = 0;
    std::string m_outputFolder; // narrow form, ends with "\"
    std::string m_nextCabinet;  // narrow form
};

// Extracts `archive` into `folder` (both wide paths) with the process-wide decompressor binding.
bool ExtractCabinet(const wchar_t* archive, const wchar_t* folder);
