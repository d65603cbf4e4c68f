#pragma once
// One gauge as a gauge page holds it, driven without a simulator: loaded as the page loads it,
// given values as simulator data and scripts would give them, pressed as the panel's soft
// buttons press it, and drawn as the page's render loop draws it.

#include "app/simconnect/SimConnectLibrary.h"
#include "pages/gauge/render/CRenderSurface.h"
#include "pages/gauge/reader/GaugeFileObserver.h"
#include "pages/gauge/model/GaugeRenderer.h"
#include "pages/gauge/expression/GaugeVariables.h"
#include "tools/gauge/GaugeSource.h"
#include "tools/gauge/GaugeToolOptions.h"

#include <string>

struct GaugeLoad {
    bool named = false;  // a "Gauge" element was given
    bool found = false;  // the gauge file was located (its cabinet extracted)
    bool loaded = false; // the reader accepted the file
    std::wstring gaugeFile;
};

class CGaugeSession {
public:
    CGaugeSession();
    CGaugeSession(const CGaugeSession&) = delete;
    CGaugeSession& operator=(const CGaugeSession&) = delete;

    // As the page's initialisation: locate the file (extracting a cabinet into a temporary folder
    // that is deleted again), read it, add the element's labels, and add the built-in gauge when
    // nothing loaded, unless `builtInOnFailure` is false. `observer` hears what the reader passed
    // over.
    GaugeLoad Load(const GaugeSource& source, IGaugeFileObserver* observer = nullptr,
                   bool builtInOnFailure = true);

    // A simulator variable takes the value as data from the simulator would give it (received and
    // current value); a local variable is set. An empty result when it took effect, otherwise
    // why not.
    std::wstring SetValue(const VariableValue& value);
    // What the page does for the input, described.
    std::wstring Press(const ButtonPress& press);
    // A frame of the page's render loop: received values become current, the gauge is drawn into
    // the surface and the result handed to the send buffer.
    void DrawFrame(CRenderSurface& surface);

    GaugeVariables& Store() { return m_store; }
    CGaugeRenderer& Renderer() { return m_renderer; }
    CSimConnectLibrary& SimConnect() { return m_simConnect; }

private:
    std::wstring Perform(const GaugeAction& action, const wchar_t* what);

    CSimConnectLibrary m_simConnect;
    GaugeVariables m_store;
    CGaugeRenderer m_renderer;
};
