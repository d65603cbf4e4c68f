#pragma once
// The gauge of one gauge page: background, elements drawn in order, the mouse areas the panel's
// knobs act on and the labels of the soft buttons. Filled once while the page initialises (from
// a gauge file, then the labels, then the built-in gauge if the file failed) and only read after
// that, except that labels may still be added.

#include "app/simconnect/SimConnectLibrary.h"
#include "pages/gauge/model/ButtonLabel.h"
#include "pages/gauge/model/GaugeBitmap.h"
#include "pages/gauge/model/GaugeElement.h"
#include "pages/gauge/render/GaugeLayer.h"
#include "pages/gauge/model/MouseArea.h"

#include <memory>
#include <string>
#include <vector>

class GaugeVariables;

class CGaugeRenderer {
public:
    // Events are mapped and transmitted through `simConnect`.
    explicit CGaugeRenderer(CSimConnectLibrary& simConnect = GetSimConnectLibrary());
    ~CGaugeRenderer();
    CGaugeRenderer(const CGaugeRenderer&) = delete;
    CGaugeRenderer& operator=(const CGaugeRenderer&) = delete;

    // Reads a gauge file of either schema. False when it could not be read or its content was
    // not accepted; what was read before the failure stays.
    bool LoadFromFile(GaugeVariables& store, const wchar_t* path);
    // Appends the built-in airspeed gauge, whose images are installed with the display-device
    // software. A background already present stays.
    bool LoadDebugGauge(GaugeVariables& store);

    // A number that already has a label is ignored.
    void AddButtonLabel(int buttonNumber, const std::wstring& text, const std::wstring& eventName,
                        int fontWeight, COLORREF colour);
    // Transmits the event of the first label with that number, if any.
    void TriggerButtonLabel(int buttonNumber);
    bool HasButtonLabel(int buttonNumber) const;
    std::wstring GetGaugeName() const;

    const CGaugeBitmap& Background() const { return m_background; }
    const std::vector<std::unique_ptr<CGaugeElement>>& Elements() const { return m_elements; }
    const std::vector<CMouseArea>& MouseAreas() const { return m_mouseAreas; }
    const std::vector<ButtonLabel>& ButtonLabels() const { return m_buttonLabels; }
    int GaugeWidth() const { return m_gaugeWidth; }
    int GaugeHeight() const { return m_gaugeHeight; }
    int DesignWidth() const { return m_designWidth; }
    int DesignHeight() const { return m_designHeight; }
    const std::wstring& ImageFolder() const { return m_imageFolder; }

    // Draws background, elements and labels into the 24-bit DIB section selected into `dc`
    // (GaugeRendererDraw.cpp).
    void Render(HDC dc);
    // The gauge's size on the screen: ImageSizes' gauge size, or the background's size when the
    // definition gave none.
    SIZE GaugeSize() const noexcept;

private:
    friend class CGaugeFileReader;

    const ButtonLabel* FindButtonLabel(int buttonNumber) const;

    CSimConnectLibrary& m_simConnect;
    CGaugeBitmap m_background;
    std::vector<std::unique_ptr<CGaugeElement>> m_elements;
    std::vector<CMouseArea> m_mouseAreas;
    std::vector<ButtonLabel> m_buttonLabels;
    int m_gaugeWidth = 0;
    int m_gaugeHeight = 0;
    int m_designWidth = 0;
    int m_designHeight = 0;
    std::wstring m_imageFolder;
    std::wstring m_gaugeName;
    GaugeLayer m_layer; // reused by every element in every frame
};
