#include "standins/nuvex-service/StandinRequestHandler.h"

#include "standins/nuvex-service/StandinText.h"
#include "standins/nuvex-service/StandinWire.h"

#include <algorithm>
#include <cstring>

using namespace StandinWire;

namespace {

constexpr size_t kIdSize = 16;
constexpr size_t kStatusSize = sizeof(StandinStatusBlock);
constexpr size_t kSerialChars = 16;

// Bodies that end in counted data (text or bytes) and four zero bytes.
struct CountedLayout {
    size_t countOffset;
    size_t dataOffset;
    size_t unitSize;
};

std::optional<CountedLayout> CountedLayoutOf(DWORD message) {
    switch (message) {
    case 2:
        return CountedLayout{20, 24, 2};
    case 6:
    case 8:
    case 9:
        return CountedLayout{28, 32, 2};
    case 7:
        return CountedLayout{28, 32, 1};
    case 14:
        return CountedLayout{32, 40, 1};
    default:
        return std::nullopt;
    }
}

std::optional<size_t> FixedSizeOf(DWORD message) {
    switch (message) {
    case 0:
        return 0;
    case 1:
    case 16:
        return 48;
    case 3:
    case 4:
        return 28;
    case 5:
    case 10:
    case 11:
        return 32;
    case 13:
        return 24;
    default:
        return std::nullopt;
    }
}

class CBodyChecker {
public:
    CBodyChecker(const StandinRequest& request, std::vector<std::wstring>& faults)
        : m_request(request), m_body(request.body), m_faults(faults) {}

    bool WellFormed() {
        const DWORD message = m_request.message;
        if (const auto fixed = FixedSizeOf(message)) {
            if (!Size(*fixed))
                return false;
            if (message == 1 || message == 16)
                return Zero(16, 48);
            if (message == 4 || message == 11)
                return Zero(fixed.value() - 4, fixed.value());
            return true;
        }
        if (const auto counted = CountedLayoutOf(message)) {
            if (!AtLeast(counted->dataOffset))
                return false;
            const size_t dataSize = size_t{U32(counted->countOffset)} * counted->unitSize;
            if (!Size(counted->dataOffset + dataSize + 4))
                return false;
            return Zero(counted->dataOffset + dataSize, counted->dataOffset + dataSize + 4);
        }
        if (message == 15)
            return ServerFileWellFormed();
        m_faults.push_back(StandinFormat(L"message %u is not a request of the client", message));
        return false;
    }

    void Capacity() {
        const DWORD message = m_request.message;
        const DWORD capacity = m_request.replyCapacity;
        bool expected = true;
        switch (message) {
        case 1:
            expected = capacity == 20;
            break;
        case 2:
            expected = capacity == 4 || capacity == 24;
            break;
        case 9:
        case 10:
        case 11:
        case 13:
            expected = capacity == 24;
            break;
        case 14:
        case 15:
            expected = m_body.size() >= 40 && capacity == 28 + U32(36);
            break;
        case 16:
            expected = capacity == 36;
            break;
        default:
            expected = capacity == 4;
            break;
        }
        if (!expected)
            m_faults.push_back(StandinFormat(L"message %u: reply capacity %u", message, capacity));
    }

    void Terminal(std::optional<DWORD> expectedTerminal) {
        const DWORD message = m_request.message;
        const bool carriesTerminal = message >= 2 && message <= 15;
        if (!expectedTerminal || !carriesTerminal || m_body.size() < 20)
            return;
        if (U32(16) != *expectedTerminal)
            m_faults.push_back(StandinFormat(L"message %u: terminal id %u, the client's is %u",
                                             message, U32(16), *expectedTerminal));
    }

private:
    bool ServerFileWellFormed() {
        if (!AtLeast(48) || !Zero(40, 44))
            return false;
        const size_t header = U32(32);
        if (!AtLeast(48 + header) || !Zero(44 + header, 48 + header))
            return false;
        if ((m_body.size() - 48 - header) % 2 != 0) {
            m_faults.push_back(StandinFormat(L"message 15: file name of an odd %u bytes",
                                             static_cast<unsigned>(m_body.size() - 48 - header)));
            return false;
        }
        return true;
    }
    DWORD U32(size_t offset) const { return ReadU32(m_body.data() + offset); }
    bool Size(size_t expected) {
        if (m_body.size() == expected)
            return true;
        m_faults.push_back(StandinFormat(L"message %u: body of %u bytes where %u were due",
                                         m_request.message, static_cast<unsigned>(m_body.size()),
                                         static_cast<unsigned>(expected)));
        return false;
    }
    bool AtLeast(size_t expected) {
        if (m_body.size() >= expected)
            return true;
        m_faults.push_back(StandinFormat(L"message %u: body of %u bytes, shorter than %u",
                                         m_request.message, static_cast<unsigned>(m_body.size()),
                                         static_cast<unsigned>(expected)));
        return false;
    }
    bool Zero(size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            if (m_body[i] != 0) {
                m_faults.push_back(StandinFormat(L"message %u: byte %u should be zero",
                                                 m_request.message, static_cast<unsigned>(i)));
                return false;
            }
        }
        return true;
    }

    const StandinRequest& m_request;
    const std::vector<BYTE>& m_body;
    std::vector<std::wstring>& m_faults;
};

StandinDeviceState* FindDevice(std::vector<StandinDeviceState>& devices,
                               const std::vector<BYTE>& body) {
    if (body.size() < kIdSize)
        return nullptr;
    for (auto& device : devices) {
        if (device.present && std::memcmp(device.config.id.data(), body.data(), kIdSize) == 0)
            return &device;
    }
    return nullptr;
}

void AppendBytes(std::vector<BYTE>& reply, const void* data, size_t size) {
    const auto* bytes = static_cast<const BYTE*>(data);
    reply.insert(reply.end(), bytes, bytes + size);
}

// The reply after its HRESULT, from the device's configuration.
void AppendReplyContent(const StandinRequest& request, const StandinDeviceState* device,
                        bool wellFormed, std::vector<BYTE>& reply) {
    const StandinStatusBlock status = device ? device->config.statusBlock : StandinStatusBlock{};
    const std::vector<BYTE>& body = request.body;
    switch (request.message) {
    case 1: {
        const GUID instance = device ? device->config.instance : GUID{};
        AppendBytes(reply, &instance, sizeof(instance));
        break;
    }
    case 2:
        if (request.replyCapacity == 24) {
            AppendU32(reply, device ? device->config.serverId : 0);
            AppendBytes(reply, status.data(), status.size());
        }
        break;
    case 9:
    case 10:
    case 11:
    case 13:
        AppendU32(reply, 0);
        AppendBytes(reply, status.data(), status.size());
        break;
    case 14:
    case 15: {
        AppendBytes(reply, status.data(), status.size());
        AppendU32(reply, 0);
        if (!wellFormed)
            break;
        // The output echoes the input bytes (message 14) or the header bytes (message 15).
        const size_t output = ReadU32(body.data() + 36);
        const size_t inputOffset = request.message == 14 ? 40 : 44;
        const size_t input = ReadU32(body.data() + 32);
        for (size_t i = 0; i < output; ++i)
            reply.push_back(i < input ? body[inputOffset + i] : BYTE{0});
        break;
    }
    case 16: {
        const std::wstring serial = device ? device->config.serial : std::wstring();
        AppendText(reply, serial, kSerialChars);
        break;
    }
    default:
        break;
    }
}

StandinPageState& Page(StandinDeviceState& device, DWORD page) {
    return device.pages[page];
}

// Carries out a well-formed request for a known device; true when what it shows changed.
bool Apply(const StandinRequest& request, StandinDeviceState& device, StandinHandledRequest& out) {
    const std::vector<BYTE>& body = request.body;
    const BYTE* p = body.data();
    switch (request.message) {
    case 2:
        if (request.replyCapacity == 4)
            device.profile = ReadText(p + 24, ReadU32(p + 20));
        return false;
    case 3: {
        const DWORD page = ReadU32(p + 20);
        const DWORD flags = ReadU32(p + 24);
        Page(device, page).flags = flags;
        if (flags & 1)
            device.activePage = page;
        return true;
    }
    case 4: {
        const DWORD page = ReadU32(p + 20);
        device.pages.erase(page);
        if (device.activePage == page)
            device.activePage.reset();
        return true;
    }
    case 5:
        Page(device, ReadU32(p + 20)).leds[ReadU32(p + 24)] = ReadU32(p + 28);
        return true;
    case 6:
        Page(device, ReadU32(p + 20)).lines[ReadU32(p + 24)] = ReadText(p + 32, ReadU32(p + 28));
        out.changedLine = std::make_pair(ReadU32(p + 20), ReadU32(p + 24));
        return true;
    case 7:
        Page(device, ReadU32(p + 20))
            .images[ReadU32(p + 24)]
            .assign(p + 32, p + 32 + ReadU32(p + 28));
        out.changedImage = std::make_pair(ReadU32(p + 20), ReadU32(p + 24));
        return true;
    case 8:
        Page(device, ReadU32(p + 20)).imageFiles[ReadU32(p + 24)] =
            ReadText(p + 32, ReadU32(p + 28));
        return true;
    default:
        return false;
    }
}

} // namespace

StandinHandledRequest CStandinRequestHandler::Handle(const StandinRequest& request,
                                                     std::vector<StandinDeviceState>& devices,
                                                     std::optional<HRESULT> forcedResult,
                                                     std::optional<DWORD> expectedTerminal,
                                                     std::vector<std::wstring>& faults) {
    CBodyChecker checker(request, faults);
    const bool known = request.message <= 16 && request.message != 12;
    const bool wellFormed = checker.WellFormed();
    checker.Capacity();
    if (wellFormed)
        checker.Terminal(expectedTerminal);

    const bool needsDevice = request.message != 0;
    StandinDeviceState* device = needsDevice ? FindDevice(devices, request.body) : nullptr;
    HRESULT result = S_OK;
    if (!known)
        result = E_NOTIMPL;
    else if (!wellFormed)
        result = E_INVALIDARG;
    else if (needsDevice && !device)
        result = E_HANDLE;
    if (forcedResult)
        result = *forcedResult;

    StandinHandledRequest out;
    AppendU32(out.reply, static_cast<DWORD>(result));
    AppendReplyContent(request, device, wellFormed, out.reply);
    if (wellFormed && device && SUCCEEDED(result) && Apply(request, *device, out))
        out.shownChanged = device;
    if (out.reply.size() > request.replyCapacity)
        out.reply.resize(request.replyCapacity);
    return out;
}
