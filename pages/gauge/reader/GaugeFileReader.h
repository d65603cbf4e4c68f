#pragma once
// Reads a gauge file of either schema into a renderer: the older one (root "Gauge", images in a
// "1024" folder beside the file, positions in a design frame scaled to the gauge's size) and
// the newer one (root "SimBase.Document" holding "SimGauge.Gauge" elements, images beside the
// file). Only the part of each schema that a panel can show is understood; the rest is passed
// over.

#include "app/xml/XmlElement.h"
#include "pages/gauge/model/GaugeAction.h"
#include "pages/gauge/reader/GaugeFileObserver.h"

#include <initializer_list>

class CGaugeElement;
struct ClampedExpression;
class CGaugeRenderer;
class GaugeVariables;

class CGaugeFileReader {
public:
    // Shift and rotation expressions are registered with `store` as they are read. `observer`,
    // when given, hears of the root and of every element passed over.
    CGaugeFileReader(CGaugeRenderer& renderer, GaugeVariables& store,
                     IGaugeFileObserver* observer = nullptr);

    // The result of CGaugeRenderer::LoadFromFile.
    bool Read(const wchar_t* path);

private:
    bool ReadOlderGauge(const CXmlElement& root);
    void ReadImageSizes(const wchar_t* text);
    void ReadOlderElement(const CXmlElement& node, CGaugeElement& element);
    void ReadOlderShift(const CXmlElement& node, CGaugeElement& element);
    void ReadOlderRotation(const CXmlElement& node, CGaugeElement& element);
    void ReadNonlinearity(const CXmlElement& node, CGaugeElement& element);
    void ReadOlderMouse(const CXmlElement& node);
    bool ReadOlderAction(const CXmlElement& node, GaugeAction& action, bool& up);

    void ReadNewerGauge(const CXmlElement& gauge);
    void ReadNewerElement(const CXmlElement& node, CGaugeElement& element);
    void ReadNewerShift(const CXmlElement& node, CGaugeElement& element);
    void ReadNewerRotation(const CXmlElement& node, CGaugeElement& element);
    ClampedExpression ReadNewerExpression(const CXmlElement& node) const;
    void ReadNewerMouse(const CXmlElement& node);
    void ReadNewerAction(const CXmlElement& node, GaugeAction& action, bool& up);

    void PassOver(const CXmlElement& node, PassedOver reason = PassedOver::Unused) const;
    // Every child of `node` whose name is none of `used`.
    void PassOverChildrenBut(const CXmlElement& node,
                             std::initializer_list<const wchar_t*> used) const;

    // A new element on the page's store, its layer the size of the background loaded so far.
    std::unique_ptr<CGaugeElement> NewElement() const;
    std::wstring ImagePath(const CXmlElement& imageNode) const;
    DWORD MapEvent(const std::wstring& eventName) const;
    // Older-schema positions: from the design frame to gauge pixels, when a design size is known.
    float ScaledX(float x) const;
    float ScaledY(float y) const;

    CGaugeRenderer& m_renderer;
    GaugeVariables& m_store;
    IGaugeFileObserver* m_observer;
};
