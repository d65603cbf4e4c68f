#pragma once
// The page that shows one simulator gauge on the instrument panels. It loads its gauge from the
// page's "Gauge" element (the built-in airspeed gauge when nothing loads), asks the simulator for
// the gauge's variables, adds itself to every instrument panel, redraws on its render thread
// when the simulator's values moved, lights the LEDs of the labelled soft buttons and turns the
// panel's knobs and soft buttons into simulator events and gauge scripts.
//
// Threads: the main thread (initialisation, simulator start, stop and data), the display-device
// library's threads (devices, page changes, buttons) and the page's own render thread. The page
// lock guards the redraw flag, the values and every evaluation on the variable store (drawing
// included); the surface's lock guards the send buffer. Neither is held while the library or
// the host is called: the library calls its callbacks with its own locks held, so a lock of
// ours held across a library call could close a cycle with a callback waiting for it.

#include "app/contracts/IPage.h"
#include "common/UniqueHandle.h"
#include "pages/gauge/render/CRenderSurface.h"
#include "pages/gauge/model/GaugeRenderer.h"
#include "pages/gauge/expression/GaugeVariables.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

class CPage_VEXA_Gauge : public IPage {
public:
    static constexpr DWORD SoftButton_Up = 0x2;
    static constexpr DWORD SoftButton_Down = 0x4;
    static constexpr DWORD SoftButton_Left = 0x8;
    static constexpr DWORD SoftButton_Right = 0x10;
    static constexpr DWORD SoftButton_1 = 0x20; // SoftButton_2 to _6 follow bit by bit

    // The period before OnSimInitialize, and when the page has no configuration.
    static constexpr DWORD kInitialPeriodMs = 50;
    // Without a "Timeout".
    static constexpr DWORD kDefaultPeriodMs = 200;
    // A "Timeout" of 0 or of no number would leave the render thread waiting for nothing, busy
    // for as long as the simulator runs.
    static constexpr DWORD kMinimumPeriodMs = 10;
    static constexpr DWORD kStopWaitMs = 30000;

    CPage_VEXA_Gauge(DWORD pageId, IPageHost* owner);
    ~CPage_VEXA_Gauge() override;

    void OnPageActivated(NuvexDevice device) override;
    bool AddToDevice(NuvexDevice device, bool activate, bool* activated) override;
    void SendToDevice(NuvexDevice device, const GUID& deviceType) override;
    void SendLedsToDevice(NuvexDevice device, const GUID& deviceType) override;
    void OnSimInitialize(const PageConfiguration* configuration) override;
    void OnSimStart() override;
    void OnSimStop() override;
    void OnSimRecieveData(const void* data, DWORD size) override;
    void OnButtonPress(DWORD buttons) override;

    // What the page holds, for its tests and tools.
    DWORD Period() const { return m_period; }
    DWORD DataDefinitionId() const { return m_dataDefinitionId; }
    bool HasRenderThread() const { return static_cast<bool>(m_renderThread); }
    const CGaugeRenderer& Renderer() const { return m_renderer; }
    // The image as last handed to the devices, copied under the surface's lock.
    std::vector<BYTE> SentImage();
    // Simulator values moved since the last redraw; read under the page lock.
    bool IsRedrawPending();
    // The received values, copied under the page lock.
    std::vector<float> ReceivedValues();
    // A gauge-local variable's value, read under the page lock.
    float LocalValue(const std::wstring& name);

private:
    // Holds the page lock for as long as it lives.
    class PageLock {
    public:
        explicit PageLock(CPage_VEXA_Gauge& page) noexcept;
        ~PageLock();
        PageLock(const PageLock&) = delete;
        PageLock& operator=(const PageLock&) = delete;

    private:
        HANDLE m_mutex;
        bool m_locked;
    };

    void LoadGauge(const PageConfiguration* configuration);
    // Draws the gauge into the surface and publishes the frame; page lock held.
    void DrawFrame();
    // One look at the redraw flag: draws, publishes and asks the host to refresh the page when
    // the values moved. Render thread.
    void RenderStep();
    static DWORD WINAPI RenderThreadProc(void* parameter) noexcept;
    void RenderLoop();
    void StopRenderThread();
    // Copies the send buffer; returns the number of the frame copied.
    DWORD CopySentImage(std::vector<BYTE>& image);
    void SetImage(NuvexDevice device, const std::vector<BYTE>& image);
    void PerformAction(const GaugeAction& action);
    void RememberGauge(NuvexDevice device);

    UniqueHandle m_renderThread;
    UniqueHandle m_stopEvent;
    DWORD m_period = kInitialPeriodMs;
    // Set and cleared under the page lock; the render thread's idle look reads it without.
    std::atomic<bool> m_redraw{false};
    DWORD m_dataDefinitionId = 0;
    CRenderSurface m_surface;
    UniqueHandle m_pageLock;
    CGaugeRenderer m_renderer;
    GaugeVariables m_variables;
};
