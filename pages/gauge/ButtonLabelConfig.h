#pragma once
// The soft-button labels a gauge page's element names: its "Button" children with "Id", "Name"
// and "Event" (required), "Bold" (400 when absent) and "RGB" (white when absent). Shared by the
// page and the gauge authors' tool, so both show the same labels.

class CGaugeRenderer;
class CXmlElement;

void AddConfiguredButtonLabels(const CXmlElement& element, CGaugeRenderer& renderer);
