#include "excel/excel_client.h"

#include <gtest/gtest.h>

namespace {

// Whether the calling thread is inside an apartment, leaving it as found.
bool ThreadHasApartment()
{
    const HRESULT hr = CoInitialize(nullptr);
    if (SUCCEEDED(hr)) {
        CoUninitialize();
    }
    return hr == S_FALSE;
}

TEST(ExcelClient, ClosesOnlyTheApartmentItOpened)
{
    {
        CNuvExcelAuto excel;
        EXPECT_TRUE(ThreadHasApartment());
    }
    EXPECT_FALSE(ThreadHasApartment());

    // A thread that already had an apartment keeps it.
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    {
        CNuvExcelAuto excel;
    }
    CoUninitialize();
    EXPECT_TRUE(ThreadHasApartment());
    CoUninitialize();
    EXPECT_FALSE(ThreadHasApartment());
}

}  // namespace
