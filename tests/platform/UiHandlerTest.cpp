#include <gtest/gtest.h>

#include <memory>

#include "platform/win/Dialog.h"
#include "platform/win/ScriptedUiHandler.h"
#include "platform/win/UiHandler.h"

TEST(UiHandler, DefaultButtonFollowsTheBoxStyle) {
    EXPECT_EQ(UiHandler::DefaultButton(MB_OK), IDOK);
    EXPECT_EQ(UiHandler::DefaultButton(MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(UiHandler::DefaultButton(MB_OKCANCEL), IDOK);
    EXPECT_EQ(UiHandler::DefaultButton(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(UiHandler::DefaultButton(MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(UiHandler::DefaultButton(MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(UiHandler::DefaultButton(MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(UiHandler::DefaultButton(MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(UiHandler::DefaultButton(MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_ICONWARNING), IDCANCEL);
}

TEST(UiHandler, InstallReplacesAndNullRestoresTheHeadlessHandler) {
    auto scripted = std::make_shared<ScriptedUiHandler>();
    auto previous = UiHandler::Install(scripted);
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(&UiHandler::Current(), scripted.get());
    EXPECT_EQ(AppMessageBox("Do you want to quit?", MB_YESNO), IDYES);
    ASSERT_EQ(scripted->Boxes().size(), 1u);
    EXPECT_EQ(scripted->Boxes()[0].text, "Do you want to quit?");
    EXPECT_EQ(scripted->Boxes()[0].type, MB_YESNO);

    EXPECT_EQ(UiHandler::Install(nullptr), scripted);
    EXPECT_NE(&UiHandler::Current(), scripted.get());
    // The headless handler cancels dialogs and file choices and never waits.
    CDialog dialog(100, "About");
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    std::vector<std::string> files{"stale"};
    EXPECT_FALSE(UiHandler::Current().OpenFiles("Open", "*.jpg", files));
    EXPECT_TRUE(files.empty());
    EXPECT_EQ(AppMessageBox("Make video files failed!", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    UiHandler::Install(previous);
}
