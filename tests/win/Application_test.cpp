#include "FrameFakes.h"

#include "Cursor.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <type_traits>

namespace pagora {
namespace {

TEST(Application, DefaultDisplayShowsTheMessageWithTheFullStopRule) {
    FakeMessageBox box;
    TApplication app(&box);
    app.SetTitle("pagora");
    const struct {
        std::exception_ptr failure;
        const char* shown;
    } cases[] = {
        {std::make_exception_ptr(EOleException("Errore 42", 1)), "Errore 42."},
        {std::make_exception_ptr(EVariantTypeCastError("(x)")), "(x)"},
        {std::make_exception_ptr(Exception("")), ""},
        {std::make_exception_ptr(Exception("riga uno\r\nriga due")), "riga uno\r\nriga due."},
        {std::make_exception_ptr(std::bad_alloc()), "Out of memory."},
        {std::make_exception_ptr(std::runtime_error("fuori")), "fuori."},
        {std::make_exception_ptr(42), "Unknown exception."},
    };
    for (const auto& c : cases) {
        box.shown.clear();
        app.HandleException(c.failure);
        ASSERT_EQ(box.shown.size(), 1u);
        EXPECT_EQ(box.shown[0].caption, "pagora");
        EXPECT_EQ(box.shown[0].text, c.shown);
    }
}

TEST(Application, DefaultDisplayEndsTheMouseCaptureFirst) {
    FakeMessageBox box;
    TApplication app(&box);
    const UniqueWindow window(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                              nullptr, GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(window);
    SetCapture(window.Get());
    ASSERT_EQ(GetCapture(), window.Get());
    app.HandleException(Exception("x"));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(box.shown.size(), 1u);
}

TEST(Application, GuardedKeepsFailuresInsideTheCallback) {
    FakeMessageBox box;
    TApplication app(&box);
    EXPECT_EQ(Guarded(app, -1, [] { return LRESULT{7}; }), 7);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(Guarded(app, -1, []() -> LRESULT { throw EDatabaseError("cds: no"); }), -1);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "cds: no.");
}

TEST(Application, InitializeStartsOleForTheThread) {
    TApplication app;
    EXPECT_FALSE(app.OleInitialized());
    app.Initialize();
    EXPECT_TRUE(app.OleInitialized());
    // The apartment is single-threaded: asking for a multithreaded one fails.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(hr, RPC_E_CHANGED_MODE);
    if (SUCCEEDED(hr))
        CoUninitialize();
}

TEST(Application, HourGlassGuardRestoresTheCursorOnEveryWayOut) {
    FakeCursor cursor;
    try {
        HourGlass busy(cursor);
        throw Exception("x");
    } catch (const Exception&) {
    }
    {
        HourGlass busy(cursor);
        busy.Reset();
        busy.Reset();
    }
    EXPECT_EQ(cursor.calls,
              (std::vector<std::string>{"hourglass", "default", "hourglass", "default"}))
        << "an early reset is the only one";
    // Nothing can take the hourglass away from the guard.
    static_assert(!std::is_copy_constructible_v<HourGlass> &&
                  !std::is_move_constructible_v<HourGlass>);
    static_assert(!std::is_copy_assignable_v<HourGlass> && !std::is_move_assignable_v<HourGlass>);
}

} // namespace
} // namespace pagora
