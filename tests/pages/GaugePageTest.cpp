// The gauge page on its own: its configuration, the built-in gauge, the redraw threshold and its
// sends through library seams of the tests' own.

#include "app/main/ProgramComponents.h"
#include "app/xml/XmlElement.h"
#include "pages/gauge/ConfigNumber.h"
#include "pages/gauge/Page_VEXA_Gauge.h"
#include "tests/nuvex/DebugOutputCapture.h"
#include "tests/pages/GaugePageRig.h"
#include "tests/pages/OrvikPageRig.h"
#include "tests/support/NuvexServiceInstaller.h"
#include "tests/support/TestPageHost.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace {

const NuvexDevice kPanelDevice = reinterpret_cast<NuvexDevice>(0x30);
constexpr const wchar_t* kBuiltInLine =
    L"  m_renderer.LoadFromFile failed or pvInitParams was NULL - loading debug data";

struct Attribute {
    const wchar_t* name;
    const wchar_t* value;
};

// A "Gauge" element as the application hands it over.
std::unique_ptr<CXmlElement> GaugeElement(std::initializer_list<Attribute> attributes) {
    auto element = std::make_unique<CXmlElement>();
    element->name = L"Gauge";
    for (const Attribute& attribute : attributes)
        element->attributes[attribute.name] = attribute.value;
    return element;
}

// The library's entry points for the page's sends, replaced by a test's own for as long as this
// lives.
class InjectedSetImage {
public:
    explicit InjectedSetImage(PFN_Nuvex_SetImage setImage)
        : m_saved(GetNuvexLibrary().EntryPoints()) {
        NuvexEntryPoints entryPoints;
        entryPoints.Nuvex_SetImage = setImage;
        GetNuvexLibrary().InjectEntryPoints(entryPoints);
    }
    ~InjectedSetImage() { GetNuvexLibrary().InjectEntryPoints(m_saved); }
    InjectedSetImage(const InjectedSetImage&) = delete;
    InjectedSetImage& operator=(const InjectedSetImage&) = delete;

private:
    NuvexEntryPoints m_saved;
};

// What the seams below received, and how they behave.
struct SetImageRecord {
    std::mutex lock;
    std::vector<std::vector<BYTE>> images;
    HRESULT result = S_OK;
    // The next call waits for this event (bounded) after recording its image.
    HANDLE holdNext = nullptr;
    HANDLE entered = nullptr;
};

SetImageRecord& Record() {
    static SetImageRecord record;
    return record;
}

HRESULT WINAPI RecordingSetImage(NuvexDevice, DWORD page, DWORD index, DWORD byteCount,
                                 const BYTE* image) {
    HANDLE hold = nullptr;
    HRESULT result = S_OK;
    {
        std::lock_guard<std::mutex> lock(Record().lock);
        EXPECT_EQ(page, 1u);
        EXPECT_EQ(index, 0u);
        EXPECT_EQ(byteCount, CRenderSurface::ImageBytes);
        Record().images.emplace_back(image, image + byteCount);
        std::swap(hold, Record().holdNext);
        result = Record().result;
    }
    if (hold) {
        SetEvent(Record().entered);
        EXPECT_EQ(WaitForSingleObject(hold, 5000), WAIT_OBJECT_0);
    }
    return result;
}

HRESULT WINAPI ThrowingSetImage(NuvexDevice, DWORD, DWORD, DWORD, const BYTE*) {
    throw std::runtime_error("the library failed");
}

// Plays the library's lock: the library calls a device's arrival with it held, and each export
// takes it to look the device up.
std::recursive_timed_mutex g_libraryLock;
std::atomic<bool> g_lookupTimedOut{false};

HRESULT WINAPI LockingSetImage(NuvexDevice device, DWORD page, DWORD index, DWORD byteCount,
                               const BYTE* image) {
    SetEvent(Record().entered);
    if (!g_libraryLock.try_lock_for(std::chrono::seconds(3))) {
        g_lookupTimedOut = true;
        return E_FAIL;
    }
    g_libraryLock.unlock();
    return RecordingSetImage(device, page, index, byteCount, image);
}

class GaugePageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CNuvexServiceInstaller::InstallImages()); }

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ASSERT_TRUE(Simulator().IsLoaded());
        std::lock_guard<std::mutex> lock(Record().lock);
        Record().images.clear();
        Record().result = S_OK;
        Record().holdNext = nullptr;
        Record().entered = m_entered.get();
    }

    void TearDown() override { CoUninitialize(); }

    // A page initialised with `element`, or without configuration when it is null.
    std::unique_ptr<CPage_VEXA_Gauge> MakePage(const CXmlElement* element,
                                               bool withConfiguration = true) {
        auto page = std::make_unique<CPage_VEXA_Gauge>(1, &m_host);
        const PageConfiguration configuration{element};
        page->OnSimInitialize(withConfiguration ? &configuration : nullptr);
        return page;
    }

    static std::vector<BYTE> BuiltInFirstFrame() {
        CReferenceGauge reference;
        reference.Renderer().LoadDebugGauge(reference.Store());
        return reference.Draw();
    }

    UniqueHandle m_entered{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    UniqueHandle m_refreshed{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    CTestPageHost m_host{[this](IPage*) { SetEvent(m_refreshed.get()); }};
};

} // namespace

TEST(ConfigNumber, ReadsDecimalOrHexadecimalUpToTheFirstCharacterThatDoesNotFit) {
    const struct {
        const wchar_t* text;
        DWORD value;
    } cases[] = {
        {L"200", 200},
        {L" \t\n700", 700},
        {L"0x64", 100},
        {L"0XfF", 255},
        {L"0xFFFFFF", 0xFFFFFF},
        {L"1x10", 16},
        {L"0x", 0},
        {L"0xg1", 0},
        {L"abc", 0},
        {L"12ms", 12},
        {L"", 0},
        {L"-5", 0},
        {L"\r5", 0},
        {L"4294967297", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadConfigNumber(c.text), c.value) << std::wstring(c.text).c_str();
    EXPECT_EQ(ReadConfigNumber(nullptr), 0u);
}

// The render thread waits "Timeout" milliseconds, 200 without it, 50 without configuration; a
// Timeout of 0 or of no number would have it wait for nothing, so the period never falls below
// 10 ms.
TEST_F(GaugePageTest, TimeoutGivesThePeriodWithAFloor) {
    const struct {
        std::optional<const wchar_t*> timeout;
        DWORD period;
    } cases[] = {
        {std::nullopt, 200}, {L"0x64", 100}, {L" 250", 250}, {L"abc", 10},
        {L"0", 10},          {L"9", 10},     {L"10", 10},    {L"35ms", 35},
    };
    for (const auto& c : cases) {
        auto element = c.timeout ? GaugeElement({{L"Timeout", *c.timeout}}) : GaugeElement({});
        EXPECT_EQ(MakePage(element.get())->Period(), c.period)
            << (c.timeout ? std::wstring(*c.timeout).c_str() : L"absent");
    }
    EXPECT_EQ(MakePage(nullptr)->Period(), 200u);
    EXPECT_EQ(MakePage(nullptr, false)->Period(), 50u);
}

// Whatever keeps the gauge from loading, the page shows the built-in airspeed gauge, drawn once
// before any device asks for it.
TEST_F(GaugePageTest, BuiltInGaugeWhenNothingLoads) {
    const std::vector<BYTE> builtIn = BuiltInFirstFrame();
    const std::filesystem::path foreign =
        std::filesystem::temp_directory_path() /
        ("foreign-gauge-" + std::to_string(GetCurrentProcessId()) + ".xml");
    std::ofstream(foreign, std::ios::binary) << "<Panel><Element/></Panel>";
    const std::wstring foreignPath = foreign.wstring();

    const std::unique_ptr<CXmlElement> elements[] = {
        nullptr,
        GaugeElement({}),
        GaugeElement({{L"File", L"no-such-gauge.xml"}}),
        GaugeElement({{L"RootFolder", L"Absolute"}, {L"File", foreignPath.c_str()}}),
        GaugeElement({{L"CabFile", L"no-such-gauge.cab"}, {L"File", L"gauge.xml"}}),
    };
    for (const auto& element : elements) {
        CTraceCapture capture;
        const auto page = MakePage(element.get(), true);
        EXPECT_EQ(capture.Count(kBuiltInLine), 1u);
        EXPECT_EQ(page->Renderer().Elements().size(), 4u);
        EXPECT_EQ(page->Renderer().MouseAreas().size(), 1u);
        EXPECT_EQ(page->SentImage(), builtIn);
    }
    CTraceCapture capture;
    EXPECT_EQ(MakePage(nullptr, false)->SentImage(), builtIn);
    EXPECT_EQ(capture.Count(kBuiltInLine), 1u);

    const auto sample = GaugeElement({{L"File", L"samples\\gauges\\Altimeter\\Altimeter.xml"}});
    capture.Clear();
    EXPECT_EQ(MakePage(sample.get())->Renderer().GetGaugeName(), L"Altimeter");
    EXPECT_EQ(capture.Count(kBuiltInLine), 0u);
    std::filesystem::remove(foreign);
}

// A value moves only when it leaves the band of 0.005 around the one received last; only then is
// it stored and the gauge drawn again.
TEST_F(GaugePageTest, RedrawsOnlyWhenAValueMovesBeyondTheThreshold) {
    const auto element = GaugeElement({{L"Timeout", L"10"}});
    const auto page = MakePage(element.get());
    page->OnSimStart();
    const struct {
        float value;
        float received;
        bool moves;
    } steps[] = {
        {100.0f, 100.0f, true},          {100.004f, 100.0f, false},   {99.996f, 100.0f, false},
        {100.006f, 100.006f, true},      {100.002f, 100.006f, false}, {99.999f, 99.999f, true},
        {std::nanf(""), 99.999f, false},
    };
    for (const auto& step : steps) {
        page->OnSimRecieveData(&step.value, sizeof(step.value));
        EXPECT_EQ(page->ReceivedValues(), std::vector<float>{step.received}) << step.value;
        if (step.moves)
            EXPECT_EQ(WaitForSingleObject(m_refreshed.get(), 5000), WAIT_OBJECT_0) << step.value;
        else
            EXPECT_FALSE(page->IsRedrawPending()) << step.value;
    }
    page->OnSimRecieveData(&steps[0].value, 0);
    EXPECT_FALSE(page->IsRedrawPending());
    page->OnSimStop();
}

// A fault thrown while the library sends is caught and reported on the debugger output; the
// page sends on as before. A failed send is traced, a good one is not.
TEST_F(GaugePageTest, SendSurvivesAThrowingLibraryAndTracesFailures) {
    const auto page = MakePage(nullptr, false);
    {
        InjectedSetImage throwing(ThrowingSetImage);
        CDebugOutputCapture output;
        CTraceCapture capture;
        page->SendToDevice(kPanelDevice, kDeviceTypeVexa);
        EXPECT_EQ(output.Count(L"Exception caught on SetImage\n"), 1u);
        EXPECT_TRUE(capture.Lines().empty());
    }
    InjectedSetImage recording(RecordingSetImage);
    CTraceCapture capture;
    page->SendToDevice(kPanelDevice, kDeviceTypeVexa);
    page->SendToDevice(kPanelDevice, kDeviceTypeOrvik);
    Record().result = E_HANDLE;
    page->SendToDevice(kPanelDevice, kDeviceTypeVexa);
    EXPECT_EQ(capture.Lines(), std::vector<std::wstring>{
                                   L"  CPage_VEXA_Gauge::SendToDevice - Nuvex_SetImage returned "
                                   L"80070006\n"});
    ASSERT_EQ(Record().images.size(), 2u);
    EXPECT_EQ(Record().images[0], page->SentImage());
}

// The library calls a device's arrival with its own lock held, and the page sends its image from
// there; meanwhile the render thread may be sending through the library, which needs that lock.
// No lock of the page is held across the library call, so neither waits for the other.
TEST_F(GaugePageTest, ASendNeverWaitsForAnotherSendInTheLibrary) {
    const auto page = MakePage(nullptr, false);
    InjectedSetImage locking(LockingSetImage);
    g_lookupTimedOut = false;
    std::unique_lock<std::recursive_timed_mutex> arrival(g_libraryLock);
    std::jthread renderer([&] { page->SendToDevice(kPanelDevice, kDeviceTypeVexa); });
    ASSERT_EQ(WaitForSingleObject(m_entered.get(), 5000), WAIT_OBJECT_0);
    page->SendToDevice(kPanelDevice, kDeviceTypeVexa);
    arrival.unlock();
    renderer.join();
    EXPECT_FALSE(g_lookupTimedOut);
    EXPECT_EQ(Record().images.size(), 2u);
}

// A send that a newer frame overtook while it was in the library sends again, so the device is
// left with the newest frame whichever send lands last.
TEST_F(GaugePageTest, AnOvertakenSendSendsTheNewestFrameAgain) {
    const auto element = GaugeElement({{L"Timeout", L"10"}});
    const auto page = MakePage(element.get());
    InjectedSetImage recording(RecordingSetImage);
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Record().holdNext = release.get();
    const std::vector<BYTE> firstFrame = page->SentImage();
    std::jthread slowSend([&] { page->SendToDevice(kPanelDevice, kDeviceTypeVexa); });
    ASSERT_EQ(WaitForSingleObject(m_entered.get(), 5000), WAIT_OBJECT_0);

    page->OnSimStart();
    const float airspeed = 150.0f;
    page->OnSimRecieveData(&airspeed, sizeof(airspeed));
    ASSERT_EQ(WaitForSingleObject(m_refreshed.get(), 5000), WAIT_OBJECT_0);
    page->OnSimStop();
    const std::vector<BYTE> newFrame = page->SentImage();
    ASSERT_NE(newFrame, firstFrame);
    page->SendToDevice(kPanelDevice, kDeviceTypeVexa); // the refresh's own send

    SetEvent(release.get());
    slowSend.join();
    std::lock_guard<std::mutex> lock(Record().lock);
    ASSERT_EQ(Record().images.size(), 3u);
    EXPECT_EQ(Record().images[0], firstFrame);
    EXPECT_EQ(Record().images[1], newFrame);
    EXPECT_EQ(Record().images[2], newFrame);
}

// The program's composition makes a gauge page for every "Gauge" element.
TEST_F(GaugePageTest, ProgramComponentsMakeGaugePages) {
    const DravikComponents components = ProgramComponents();
    const PageFactory factory = components.pageFactories.Get(PageKind::Gauge);
    ASSERT_NE(factory, nullptr);
    const std::unique_ptr<IPage> page(factory({7, &m_host, nullptr, false}));
    EXPECT_NE(dynamic_cast<CPage_VEXA_Gauge*>(page.get()), nullptr);
    EXPECT_EQ(page->PageId(), 7u);
    EXPECT_EQ(page->Owner(), &m_host);
}
