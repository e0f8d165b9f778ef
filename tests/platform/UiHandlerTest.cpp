#include <gtest/gtest.h>

#include <memory>

#include "platform/win/Dialog.h"
#include "platform/win/ScriptedUiHandler.h"
#include "platform/win/UiHandler.h"

namespace {
// Installs a scripted handler for one test and puts the previous one back.
class UiHandlerTest : public ::testing::Test {
protected:
    void SetUp() override { m_previous = UiHandler::Install(ui); }
    void TearDown() override { UiHandler::Install(m_previous); }
    std::shared_ptr<ScriptedUiHandler> ui = std::make_shared<ScriptedUiHandler>();
    std::shared_ptr<UiHandler> m_previous;
};

} // namespace

TEST(UiHandler, DefaultButtonFollowsTheBoxStyle) {
    const std::pair<UINT, int> cases[] = {
        {MB_OK | MB_ICONERROR, IDOK},      {MB_OKCANCEL, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL}, {MB_YESNO | MB_ICONQUESTION, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},  {MB_YESNOCANCEL, IDYES},
        {MB_YESNOCANCEL | MB_DEFBUTTON2, IDNO}, {MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_ICONWARNING, IDCANCEL}};
    for (const auto& [style, button] : cases) EXPECT_EQ(UiHandler::DefaultButton(style), button) << style;
}

TEST_F(UiHandlerTest, ScriptedAnswersAreUsedInOrderThenDefaultsAndNullRestoresTheHeadlessHandler) {
    EXPECT_EQ(&UiHandler::Current(), ui.get());
    ui->QueueAnswer(IDNO);
    EXPECT_EQ(AppMessageBox("Do you want to save this project?", MB_YESNOCANCEL), IDNO);
    EXPECT_EQ(AppMessageBox("Do you want to save this project?", MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(AppMessageBox("Make video files successful!"), IDOK);

    // The headless handler cancels dialogs and file choices and never waits.
    EXPECT_EQ(UiHandler::Install(nullptr), ui);
    EXPECT_NE(&UiHandler::Current(), ui.get());
    EXPECT_EQ(CDialog(100, "About").DoModal(), IDCANCEL);
    std::vector<std::string> files = {"stale"};
    EXPECT_FALSE(UiHandler::Current().OpenFiles("Open", "*.jpg", "", files));
    EXPECT_TRUE(files.empty());
    EXPECT_EQ(AppMessageBox("Make video files failed!", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
}
