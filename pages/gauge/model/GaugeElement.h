#pragma once
// One drawable part of a gauge: its position, its image and mask, and the expressions that
// decide whether it shows, how far it shifts and how far it turns. Points of the nonlinearity
// table, read under the shift or the rotation, land in the one table both share.

#include "pages/gauge/model/GaugeBitmap.h"
#include "pages/gauge/model/NonlinearityPoint.h"

#include <windows.h>

#include <string>
#include <vector>

class GaugeLayer;
class GaugeVariables;
class OutputPixels;

// A shift or rotation: the expression and the clamps of its value.
struct ClampedExpression {
    std::wstring expression;
    bool hasMinimum = false;
    float minimum = -1000000.0f;
    bool hasMaximum = false;
    float maximum = 1000000.0f;
};

class CGaugeElement {
public:
    // The layer is the background's size when the element is made; the store is the page's.
    CGaugeElement(int layerWidth, int layerHeight, GaugeVariables& store);
    CGaugeElement(const CGaugeElement&) = delete;
    CGaugeElement& operator=(const CGaugeElement&) = delete;

    void SetPosition(int x, int y);
    void SetVisibility(const std::wstring& expression);
    // The element has the mask (or image) whether or not the file loads.
    bool SetMask(const std::wstring& path, float axisX, float axisY);
    bool SetImage(const std::wstring& path, float axisX, float axisY, bool alpha);
    // Each registers its expression's variables with the store.
    void SetShift(const ClampedExpression& shift);
    void SetRotation(const ClampedExpression& rotation);
    void SetShiftScale(float x, float y);
    void AddPointByDegrees(float value, float degrees);
    // The bearing is taken from the element's position as it is now.
    void AddPointByPosition(float value, float px, float py);

    GaugeVariables& Store() const { return *m_store; }
    int X() const { return m_x; }
    int Y() const { return m_y; }
    int LayerWidth() const { return m_layerWidth; }
    int LayerHeight() const { return m_layerHeight; }
    bool HasVisibility() const { return m_hasVisibility; }
    const std::wstring& Visibility() const { return m_visibility; }
    bool HasMask() const { return m_hasMask; }
    const CGaugeBitmap& Mask() const { return m_mask; }
    bool HasImage() const { return m_hasImage; }
    const CGaugeBitmap& Image() const { return m_image; }
    bool HasShift() const { return m_hasShift; }
    const ClampedExpression& Shift() const { return m_shift; }
    float ShiftScaleX() const { return m_shiftScaleX; }
    float ShiftScaleY() const { return m_shiftScaleY; }
    bool HasRotation() const { return m_hasRotation; }
    const ClampedExpression& Rotation() const { return m_rotation; }
    const std::vector<NonlinearityPoint>& Nonlinearity() const { return m_nonlinearity; }

    // Draws the element through `layer` with the layer's top-left corner at `origin` of the
    // output (GaugeElementDraw.cpp).
    void Draw(OutputPixels& output, POINT origin, GaugeLayer& layer) const;

private:
    GaugeVariables* m_store;
    int m_x = 0;
    int m_y = 0;
    int m_layerWidth;
    int m_layerHeight;
    bool m_hasVisibility = false;
    std::wstring m_visibility;
    bool m_hasMask = false;
    CGaugeBitmap m_mask;
    bool m_hasImage = false;
    CGaugeBitmap m_image;
    bool m_hasShift = false;
    ClampedExpression m_shift;
    float m_shiftScaleX = 1.0f;
    float m_shiftScaleY = 1.0f;
    bool m_hasRotation = false;
    ClampedExpression m_rotation;
    std::vector<NonlinearityPoint> m_nonlinearity;
};
