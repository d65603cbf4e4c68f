#include "common/UniqueHandle.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

} // namespace

TEST(UniqueResource, OwnsOneHandleAndClosesItExactlyOnce) {
    UniqueHandle first(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(first);
    const HANDLE event = first.get();

    UniqueHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), event);
    EXPECT_TRUE(IsOpen(event));

    second.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_FALSE(IsOpen(event));
    const HANDLE released = second.release();
    EXPECT_FALSE(second);
    EXPECT_TRUE(IsOpen(released));
    CloseHandle(released);
}

TEST(UniqueResource, HandleOwnersHoldNeitherNullNorInvalidHandleValue) {
    EXPECT_FALSE(UniqueHandle(nullptr));
    EXPECT_FALSE(UniqueHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(UniqueFile(nullptr));
    EXPECT_FALSE(UniqueFile(INVALID_HANDLE_VALUE));
    EXPECT_EQ(UniqueFile().get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(UniqueHandle().get(), nullptr);
    EXPECT_EQ(UniqueFile(CreateFileW(L"no-such-file.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     0, nullptr))
                  .get(),
              INVALID_HANDLE_VALUE);
}

TEST(UniqueResource, PutClosesWhatIsHeldAndTakesTheOutParameter) {
    UniqueHandle source(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle copy(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE previous = copy.get();
    HANDLE* slot = copy.put();
    EXPECT_FALSE(IsOpen(previous));
    EXPECT_EQ(*slot, nullptr);
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), source.get(), GetCurrentProcess(), slot, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
    EXPECT_TRUE(copy);
    EXPECT_TRUE(IsOpen(copy.get()));

    UniqueRegistryKey key;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ, key.put()),
              ERROR_SUCCESS);
    EXPECT_TRUE(key);
}

TEST(UniqueResource, SelectionPutsTheReplacedObjectBackBeforeTheObjectIsDeleted) {
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
    UniqueGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc.get(), 4, 4));
    ASSERT_TRUE(bitmap);
    {
        const UniqueSelection selection = SelectInto(dc.get(), bitmap.get());
        ASSERT_TRUE(selection);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
    EXPECT_FALSE(SelectInto(dc.get(), nullptr));
}
