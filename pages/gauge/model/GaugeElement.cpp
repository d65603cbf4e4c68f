#include "pages/gauge/model/GaugeElement.h"

#include "pages/gauge/expression/GaugeVariables.h"

CGaugeElement::CGaugeElement(int layerWidth, int layerHeight, GaugeVariables& store)
    : m_store(&store), m_layerWidth(layerWidth), m_layerHeight(layerHeight) {}

void CGaugeElement::SetPosition(int x, int y) {
    m_x = x;
    m_y = y;
}

void CGaugeElement::SetVisibility(const std::wstring& expression) {
    m_hasVisibility = true;
    m_visibility = expression;
}

bool CGaugeElement::SetMask(const std::wstring& path, float axisX, float axisY) {
    m_hasMask = true;
    return m_mask.Load(path.c_str(), axisX, axisY, false);
}

bool CGaugeElement::SetImage(const std::wstring& path, float axisX, float axisY, bool alpha) {
    m_hasImage = true;
    return m_image.Load(path.c_str(), axisX, axisY, alpha);
}

void CGaugeElement::SetShift(const ClampedExpression& shift) {
    m_hasShift = true;
    m_shift = shift;
    m_store->RegisterExpression(m_shift.expression);
}

void CGaugeElement::SetRotation(const ClampedExpression& rotation) {
    m_hasRotation = true;
    m_rotation = rotation;
    m_store->RegisterExpression(m_rotation.expression);
}

void CGaugeElement::SetShiftScale(float x, float y) {
    m_shiftScaleX = x;
    m_shiftScaleY = y;
}

void CGaugeElement::AddPointByDegrees(float value, float degrees) {
    m_nonlinearity.push_back({value, 0.0f, 0.0f, degrees});
}

void CGaugeElement::AddPointByPosition(float value, float px, float py) {
    m_nonlinearity.push_back({value, px, py, BearingFrom(m_x, m_y, px, py)});
}
