#include "app/core/DravikBase.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records which virtual operations ran.
class CRecordingBase : public CDravikBase {
public:
    using CDravikBase::CDravikBase;
    using CDravikBase::DispatchCallback;

    std::vector<std::string> calls;

protected:
    bool OnInitialize() override {
        calls.push_back("OnInitialize");
        return true;
    }
    void OnFinalize() override { calls.push_back("OnFinalize"); }
    void OnSimStart() override { calls.push_back("OnSimStart"); }
    void OnSimStop() override { calls.push_back("OnSimStop"); }
    void OnSimObjectData(DWORD requestId, const void* data, DWORD size) override {
        calls.push_back("OnSimObjectData " + std::to_string(requestId) + " " +
                        std::to_string(size) + " " +
                        std::to_string(*static_cast<const unsigned char*>(data)));
    }
};

simconnect::RecvEvent Event(DWORD clientEventId) {
    simconnect::RecvEvent event = {};
    event.header = {sizeof(event), 1, simconnect::RecvIdEvent};
    event.uEventID = clientEventId;
    return event;
}

} // namespace

TEST(DravikBase, WithoutTheSimConnectLibraryRunFailsAfterOneOpenLine) {
    CSimConnectLibrary missing(L"NoSuchSimConnect.dll");
    CTraceCapture capture;
    CRecordingBase application(missing);

    EXPECT_FALSE(application.Run(GetModuleHandleW(nullptr)));
    EXPECT_EQ(capture.Lines(),
              std::vector<std::wstring>{L"  CDravikBase::InitSimConnect - SimConnect_Open returned "
                                        L"80004001\n"});
    EXPECT_TRUE(application.calls.empty());
    EXPECT_EQ(application.MessageWindow(), nullptr);
}

TEST(DravikBase, DispatchMapsSystemEventsAndObjectData) {
    CSimConnectLibrary missing(L"NoSuchSimConnect.dll");
    CRecordingBase application(missing);

    for (DWORD id : {1u, 2u, 3u, 4u, 5u, 0u}) {
        simconnect::RecvEvent event = Event(id);
        CRecordingBase::DispatchCallback(&event.header, sizeof(event), &application);
    }
    BYTE data[44] = {};
    simconnect::RecvSimObjectData header = {};
    header.header = {sizeof(data), 1, simconnect::RecvIdSimObjectData};
    header.dwRequestID = 7;
    memcpy(data, &header, simconnect::kObjectDataHeaderSize);
    data[40] = 0xAB;
    CRecordingBase::DispatchCallback(reinterpret_cast<simconnect::Recv*>(data), sizeof(data),
                                     &application);
    simconnect::Recv open = {sizeof(open), 1, simconnect::RecvIdOpen};
    CRecordingBase::DispatchCallback(&open, sizeof(open), &application);

    EXPECT_EQ(application.calls,
              (std::vector<std::string>{"OnSimStart", "OnSimStop", "OnSimStop", "OnSimStart",
                                        "OnSimObjectData 7 4 171"}));
}

TEST(DravikBase, DispatchIgnoresMessagesTooShortForTheirKind) {
    CSimConnectLibrary missing(L"NoSuchSimConnect.dll");
    CRecordingBase application(missing);

    simconnect::RecvEvent event = Event(1);
    CRecordingBase::DispatchCallback(&event.header, sizeof(simconnect::Recv), &application);
    simconnect::RecvSimObjectData data = {};
    data.header = {sizeof(data), 1, simconnect::RecvIdSimObjectData};
    CRecordingBase::DispatchCallback(&data.header, simconnect::kObjectDataHeaderSize - 1,
                                     &application);
    EXPECT_TRUE(application.calls.empty());
}
