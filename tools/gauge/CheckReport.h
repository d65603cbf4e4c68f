#pragma once
// The check command: what the gauge reader understood and passed over, where the gauge sits on
// the panel's screen, and everything that will not show as its author meant it to.

#include "pages/gauge/reader/GaugeFileObserver.h"
#include "tools/gauge/GaugeSession.h"

#include <string>
#include <vector>

class ToolStream;

// Collects what the reader tells while it reads.
class CReaderFindings : public IGaugeFileObserver {
public:
    struct Passed {
        std::wstring path; // "Gauge/Element[2]/Select"
        PassedOver reason;
    };

    virtual ~CReaderFindings() = default;
    void OnRoot(const CXmlElement& root) override;
    void OnPassedOver(const CXmlElement& node, PassedOver reason) override;

    bool SawRoot() const { return m_sawRoot; }
    const std::wstring& RootName() const { return m_rootName; }
    const std::vector<Passed>& PassedOverElements() const { return m_passed; }

private:
    bool m_sawRoot = false;
    std::wstring m_rootName;
    std::vector<Passed> m_passed;
};

// Prints the report; the result is the exit code: 0 when the gauge loads (or none was named and
// the built-in gauge shows), 1 when it does not.
int PrintCheckReport(ToolStream& out, const GaugeSource& source, const GaugeLoad& load,
                     const CReaderFindings& findings, CGaugeSession& session);
