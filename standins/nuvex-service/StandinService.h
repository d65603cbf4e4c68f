#pragma once
// The stand-in display-device service: serves the device pipe to one client at a time, announces
// its virtual devices, answers every request of the client library, keeps what each device shows
// and sends soft-button, page-change, arrival and removal requests on command.
//
// It is a peer of the library, not a copy of it: it checks everything the library sends (packet
// and transfer framing, message body layouts, reply capacities) and lists every deviation in
// Faults(), so a test that ends with an empty fault list has seen a well-behaved client.
//
// Every operation is thread-safe. Every wait is bounded by the time-out it is given.

#include "standins/nuvex-service/StandinPipeServer.h"
#include "standins/nuvex-service/StandinTransferAssembler.h"

#include <windows.h>

#include <array>
#include <condition_variable>
#include <deque>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

using StandinDeviceId = std::array<BYTE, 16>;
using StandinStatusBlock = std::array<BYTE, 16>;

// The two device types the virtual devices report. The main program compares against the same
// 16 bytes.
inline constexpr GUID kStandinJoystickType = {
    0x6a3e0c51, 0x2b47, 0x4c8e, {0x9d, 0x10, 0x4f, 0x52, 0x56, 0x49, 0x4b, 0x01}};
inline constexpr GUID kStandinPanelType = {
    0x6a3e0c52, 0x2b47, 0x4c8e, {0x9d, 0x10, 0x56, 0x45, 0x58, 0x41, 0x00, 0x02}};

// Results of the commands below when the client gives no answer of its own.
inline constexpr HRESULT kStandinNotConnected = HRESULT_FROM_WIN32(ERROR_PIPE_NOT_CONNECTED);
inline constexpr HRESULT kStandinNoReply = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
inline constexpr HRESULT kStandinReplyWithoutResult = HRESULT_FROM_WIN32(ERROR_NO_DATA);
inline constexpr HRESULT kStandinUnknownDevice = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

// One virtual device. Factories fill a consistent default for each kind: an id derived from the
// serial number, an instance GUID that differs from the id, server id 0x5E000001.
struct StandinDeviceConfig {
    StandinDeviceId id{};               // bytes 0 to 15 of the arrival request
    GUID type{};                        // bytes 16 to 31
    std::array<BYTE, 16> furtherData{}; // bytes 32 to 47
    std::wstring serial;                // at most 16 characters go out (reply to message 16)
    GUID instance{};                    // reply to message 1
    DWORD serverId = 0x5E000001;        // reply to message 2 with a reply capacity of 24
    StandinStatusBlock statusBlock{};   // status block of the server and file replies
    bool announceOnConnect = true;      // announced (17) as soon as a client connects

    static StandinDeviceConfig Joystick(const std::wstring& serial);
    static StandinDeviceConfig Panel(const std::wstring& serial);
};

// One request transfer of the client as it arrived: message id, reply capacity (cbOut) and the
// body after the 16-byte transfer header, byte for byte.
struct StandinRequest {
    DWORD message = 0;
    DWORD contextId = 0;
    DWORD replyCapacity = 0;
    std::vector<BYTE> body;
};

struct StandinPageState {
    DWORD flags = 0;                           // as given to message 3
    std::map<DWORD, std::wstring> lines;       // index -> text (message 6, cut at a zero)
    std::map<DWORD, std::vector<BYTE>> images; // index -> bytes (message 7)
    std::map<DWORD, std::wstring> imageFiles;  // index -> file name (message 8)
    std::map<DWORD, DWORD> leds;               // index -> value (message 5)
};

struct StandinDeviceState {
    StandinDeviceConfig config;
    bool present = true;                  // cleared by a removal, set again by an arrival
    std::optional<HRESULT> arrivalResult; // the client's answer to the last arrival (17)
    std::wstring profile;                 // message 2 with a reply capacity of 4
    std::map<DWORD, StandinPageState> pages;
    std::optional<DWORD> activePage; // set by flags bit 0 of message 3 and by page changes
    DWORD lastButtons = 0;           // bits of the last soft-button request sent
};

struct StandinServiceOptions {
    std::wstring pipeName = L"\\\\.\\pipe\\ZanthorNuvex";
    DWORD writeTimeoutMs = 5000;   // each packet write
    size_t requestRecordLimit = 0; // the most requests Requests() keeps (oldest go); 0: all
};

class CStandinService : private IStandinPipeSink {
public:
    static constexpr DWORD kDefaultTimeoutMs = 5000;

    CStandinService();
    ~CStandinService() override; // stops
    CStandinService(const CStandinService&) = delete;
    CStandinService& operator=(const CStandinService&) = delete;

    // Creates the pipe and starts serving; false when the pipe cannot be created. Stop ends the
    // connection and the server thread (bounded) and may be followed by another Start.
    bool Start(const StandinServiceOptions& options = {});
    void Stop();

    // Devices: configure before or after Start. A device is known by its serial number.
    void AddDevice(const StandinDeviceConfig& config);
    void ClearDevices();

    // Per-message results (default S_OK). A result set here replaces the service's own answer
    // for that message id (also E_HANDLE for an unknown device); a failing result changes no
    // device state.
    void SetResult(DWORD message, HRESULT result);
    // Reply with exactly these data bytes (not cut to the reply capacity).
    void SetReplyData(DWORD message, std::vector<BYTE> replyData);
    // Record the request but send no reply, so the client runs into its time-out.
    void SetNoReply(DWORD message, bool noReply = true);
    void ClearReplyRules();

    // Freeze makes the service hang as far as the client can tell: from now on it reads nothing
    // the client sends, so no request is answered (each runs into the client's time-out) and the
    // client's writes wait once the pipe is full; a request being handled at this moment may
    // still be answered. The connection stays open, its loss and a new client go unnoticed, and
    // the service's own commands still send (and then time out waiting for the reply). Resume
    // reads on: what was sent meanwhile is handled then, in order, and answered late. Stop ends a
    // freeze.
    void Freeze();
    void Resume();
    bool IsFrozen() const;

    // Commands: each sends one request and waits (bounded) for the client's reply. Result: the
    // HRESULT of the reply, or kStandinNotConnected, kStandinNoReply, kStandinReplyWithoutResult,
    // kStandinUnknownDevice.
    HRESULT AnnounceDevice(const std::wstring& serial, DWORD timeoutMs = kDefaultTimeoutMs); // 17
    HRESULT RemoveDevice(const std::wstring& serial, DWORD timeoutMs = kDefaultTimeoutMs);   // 18
    HRESULT PressSoftButtons(const std::wstring& serial, DWORD bits,
                             DWORD timeoutMs = kDefaultTimeoutMs); // 19
    // state 1 activates the page, any other value deactivates it.
    HRESULT ChangePage(const std::wstring& serial, DWORD page, DWORD state = 1,
                       DWORD timeoutMs = kDefaultTimeoutMs); // 20
    // Any request; the reply's data bytes go to *reply when given. The result is as above, or the
    // reply's HRESULT when it carries at least four bytes.
    HRESULT SendRequest(DWORD message, const std::vector<BYTE>& body, DWORD replyCapacity,
                        std::vector<BYTE>* reply = nullptr, DWORD timeoutMs = kDefaultTimeoutMs);
    // Raw wire access for framing tests: one pipe write of exactly these bytes.
    bool SendRawPacket(const std::vector<BYTE>& packet);
    // The packets of one transfer, as a well-behaved peer cuts them (payload at most 1024 bytes).
    static std::vector<std::vector<BYTE>> BuildPackets(DWORD contextId, BYTE type, DWORD message,
                                                       const std::vector<BYTE>& data,
                                                       DWORD replyCapacity);

    // State.
    bool IsConnected() const;
    DWORD ConnectionCount() const; // clients accepted since Start
    std::optional<StandinDeviceState> Device(const std::wstring& serial) const;
    std::vector<StandinDeviceState> Devices() const;
    // The line of the device's active page; empty when there is none.
    std::wstring ShownLine(const std::wstring& serial, DWORD line) const;
    std::vector<StandinRequest> Requests() const;
    std::vector<StandinRequest> Requests(DWORD message) const;
    void ClearRequests();
    // Every deviation of the client from the protocol, one line each.
    std::vector<std::wstring> Faults() const;
    void ClearFaults();

    // Waits: true as soon as the condition holds, false after the time-out.
    bool WaitForConnection(DWORD timeoutMs = kDefaultTimeoutMs) const;
    bool WaitForDisconnection(DWORD timeoutMs = kDefaultTimeoutMs) const;
    // At least count requests with this message id since the last ClearRequests.
    bool WaitForRequest(DWORD message, size_t count = 1, DWORD timeoutMs = kDefaultTimeoutMs) const;
    // The device's active page shows this text on the line.
    bool WaitForLine(const std::wstring& serial, DWORD line, const std::wstring& text,
                     DWORD timeoutMs = kDefaultTimeoutMs) const;
    // The client answered the arrival of every present device.
    bool WaitForArrivals(DWORD timeoutMs = kDefaultTimeoutMs) const;
    // Any condition over the queries above; re-tested after every change of state.
    bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) const;

    // Files a person can look at: per device "<serial>.txt" (profile, pages, lines, LEDs, the
    // active page) and "<serial>-page<page>-<index>.bmp" for every 230400-byte image (24-bit,
    // 320 x 240, bottom-up). The folder must exist.
    bool WriteDeviceFiles(const std::wstring& folder) const;
    // When not empty, the files are rewritten after every change of what a device shows, and
    // every changed line is appended to "<serial>-lines.log".
    void SetLiveOutputFolder(const std::wstring& folder);

private:
    struct PendingRequest {
        DWORD message = 0;
        StandinDeviceId deviceId{};
        bool detached = false; // nobody waits: the reply only updates the device
        bool answered = false;
        bool abandoned = false; // the client went away
        std::vector<BYTE> reply;
    };

    void OnClientConnected() override;
    void OnMessage(const BYTE* data, size_t size) override;
    void OnClientDisconnected() override;
    void OnPipeFault(const std::wstring& text) override;

    void OnRequest(const StandinTransfer& transfer, std::unique_lock<std::mutex>& lock);
    void OnReply(const StandinTransfer& transfer);
    bool WriteTransfer(DWORD contextId, BYTE type, DWORD message, const std::vector<BYTE>& data,
                       DWORD replyCapacity);
    DWORD NextContextId();
    HRESULT DeviceRequest(const std::wstring& serial, DWORD message, DWORD value16, DWORD value20,
                          DWORD timeoutMs);
    StandinDeviceState* FindDevice(const std::wstring& serial);
    const StandinDeviceState* FindDevice(const std::wstring& serial) const;
    void WriteLiveOutput(const std::wstring& folder, const StandinDeviceState& device,
                         std::optional<std::pair<DWORD, DWORD>> changedLine) const;
    void NotifyChanged(); // caller holds m_lock

    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    uint64_t m_generation = 0;
    StandinServiceOptions m_options;
    CStandinPipeServer m_pipe{*this};
    CStandinTransferAssembler m_assembler;
    std::vector<StandinDeviceState> m_devices;
    std::map<DWORD, HRESULT> m_results;
    std::map<DWORD, std::vector<BYTE>> m_replyData;
    std::set<DWORD> m_noReply;
    std::deque<StandinRequest> m_requests;
    std::map<DWORD, size_t> m_requestCounts; // since ClearRequests, whatever the record keeps
    std::vector<std::wstring> m_faults;
    std::map<DWORD, PendingRequest> m_pending;
    DWORD m_lastContextId = 0;
    bool m_connected = false;
    DWORD m_connectionCount = 0;
    std::optional<DWORD> m_clientTerminal;
    std::wstring m_liveFolder;
};
