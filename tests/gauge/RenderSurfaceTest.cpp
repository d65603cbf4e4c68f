// The gauge page's drawing surface: the section, its selection and the send buffer's lock.

#include "pages/gauge/render/CRenderSurface.h"
#include "common/UniqueHandle.h"
#include "pages/gauge/render/OutputPixels.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct PublishJob {
    CRenderSurface* surface;
    HANDLE done;
};

DWORD WINAPI PublishThread(void* parameter) {
    auto* job = static_cast<PublishJob*>(parameter);
    job->surface->PublishFrame();
    ::SetEvent(job->done);
    return 0;
}

} // namespace

TEST(CRenderSurface, StartsBlackWithASectionOfBottomUpRows) {
    CRenderSurface surface;
    ASSERT_TRUE(surface.IsValid());
    EXPECT_EQ(CRenderSurface::ImageBytes, 230400u);
    const BYTE* pixels = surface.Pixels();
    EXPECT_TRUE(
        std::all_of(pixels, pixels + CRenderSurface::ImageBytes, [](BYTE b) { return b == 0; }));
    {
        auto buffer = surface.LockSendBuffer();
        EXPECT_TRUE(std::all_of(buffer.Data(), buffer.Data() + buffer.Size(),
                                [](BYTE b) { return b == 0; }));
    }

    const HGDIOBJ before = ::GetCurrentObject(surface.DeviceContext(), OBJ_BITMAP);
    {
        auto selected = surface.SelectSection();
        const HDC dc = surface.DeviceContext();
        ASSERT_NE(::GetCurrentObject(dc, OBJ_BITMAP), before);
        // What GDI draws lands in the section's memory by the end of the selection.
        ::SetPixelV(dc, 0, 0, RGB(1, 2, 3));
        ::SetPixelV(dc, 319, 239, RGB(4, 5, 6));
        const auto output = OutputPixels::FromDeviceContext(dc);
        ASSERT_TRUE(output.has_value());
        EXPECT_EQ(output->Width(), 320);
        EXPECT_EQ(output->Height(), 240);
        EXPECT_EQ(output->Row(0), pixels + 239 * 960);
    }
    EXPECT_EQ(::GetCurrentObject(surface.DeviceContext(), OBJ_BITMAP), before);
    // The top-left pixel is the first of the last row in memory, blue first.
    EXPECT_EQ(pixels[239 * 960 + 0], 3);
    EXPECT_EQ(pixels[239 * 960 + 1], 2);
    EXPECT_EQ(pixels[239 * 960 + 2], 1);
    EXPECT_EQ(pixels[319 * 3 + 0], 6);
    EXPECT_EQ(pixels[319 * 3 + 2], 4);
}

TEST(CRenderSurface, PublishedFramesWaitForTheSendBufferLock) {
    CRenderSurface surface;
    ASSERT_TRUE(surface.IsValid());
    {
        auto selected = surface.SelectSection();
        ::SetPixelV(surface.DeviceContext(), 5, 0, RGB(9, 8, 7));
    }
    const UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    PublishJob job{&surface, done.get()};
    UniqueHandle thread;
    {
        auto buffer = surface.LockSendBuffer();
        thread.reset(::CreateThread(nullptr, 0, PublishThread, &job, 0, nullptr));
        ASSERT_TRUE(thread);
        // While a send holds the buffer, the copy of the next frame waits.
        EXPECT_EQ(::WaitForSingleObject(done.get(), 200), static_cast<DWORD>(WAIT_TIMEOUT));
        EXPECT_EQ(buffer.Data()[239 * 960 + 15], 0);
    }
    EXPECT_EQ(::WaitForSingleObject(done.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(::WaitForSingleObject(thread.get(), 10000), WAIT_OBJECT_0);
    auto buffer = surface.LockSendBuffer();
    EXPECT_TRUE(std::equal(buffer.Data(), buffer.Data() + buffer.Size(), surface.Pixels()));
    EXPECT_EQ(buffer.Data()[239 * 960 + 15], 7);
}
