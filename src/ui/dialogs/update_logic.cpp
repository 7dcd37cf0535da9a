#include "ui/dialogs/update_logic.h"

#include <array>

#include "device/command_set.h"
#include "model/key_store.h"
#include "storage/backups.h"
#include "storage/language.h"
#include "storage/profile_file.h"

namespace keyloom {

namespace {

struct TextEntry {
  std::u16string_view key;
  std::u16string_view fallback;
};

// In UpdateText order.
constexpr std::array<TextEntry, 14> kUpdateTexts = {{
    {u"UPDATE_CHECK_PROMPT", u"Your current software is not updated to the latest version.Update now?"},
    {u"UPDATE_CHECK_TITLE", u"Version update"},
    {u"UPDATE_DIALOG_TITLE", u"Valdric RGB Mechanical Keyboard"},
    {u"UPDATE_BACKUP_DONE", u"备份成功!"},
    {u"UPDATE_BACKUP_FAILED", u"备份失败,请重新备份!"},
    {u"UPDATE_NO_UPDATER", u"请选择正确的更新文件! "},
    {u"UPDATE_NO_BOOT_MODE", u"无法进入Boot模式! "},
    {u"UPDATE_CANNOT_START", u"无法执行更新文件! "},
    {u"UPDATE_OPEN_FILTER", u"MyType Files (*.exe)|*.exe||"},
    {u"UPDATE_BACKUP_FILTER", u"(*.fwc)|*.fwc|(*.*)|*.*||"},
    {u"UPDATE_BUTTON_UPDATE", u"更新"},
    {u"UPDATE_BUTTON_CANCEL", u"取消更新"},
    {u"UPDATE_BUTTON_OPEN", u"Open"},
    {u"UPDATE_BUTTON_BACKUP", u"备份"},
}};

const TextEntry& EntryOf(UpdateText text) { return kUpdateTexts[static_cast<size_t>(text)]; }

}  // namespace

std::u16string_view UpdateTextKey(UpdateText text) { return EntryOf(text).key; }

std::u16string UpdateTextOf(const TextSource& texts, UpdateText text) {
  return TextOr(texts, EntryOf(text).key, EntryOf(text).fallback);
}

UpdateCheckOutcome UpdateCheck(UpdateCheckContext& c) {
  // A failed read is not an error here: it leaves zeros, which ask nothing.
  std::array<uint8_t, kSettingsSize> settings{};
  if (c.commands.ReadSettings(settings) != kResultOk) settings.fill(0);
  const HidAttributes ids = c.commands.link().hid.attributes();
  if (ids.vendor_id == kModelA.vendor_id && ids.product_id == kModelA.product_id) return UpdateCheckOutcome::kNothing;
  const unsigned state = settings[8] | (unsigned{settings[9]} << 8);
  if (state == 0 || state > 256) return UpdateCheckOutcome::kNothing;

  c.clock.SleepMs(kUpdateCheckPauseMs);
  const bool ok = c.ask_ok_cancel && c.ask_ok_cancel(UpdateTextOf(c.texts, UpdateText::kCheckPrompt),
                                                      UpdateTextOf(c.texts, UpdateText::kCheckTitle));
  if (!ok) return UpdateCheckOutcome::kDeclined;
  if (c.start_program)
    c.start_program({u"Open", c.help_folder + std::u16string(kEmbeddedUpdater),
                     std::u16string(kEmbeddedUpdaterParameters), c.help_folder});
  return UpdateCheckOutcome::kUpdaterStarted;
}

void UpdateDialogLogic::Start() { view_.ShowPath(context_.chosen_updater); }

bool UpdateDialogLogic::OnCommand(int id) {
  switch (id) {
    case kOpenButton: OnOpen(); return true;
    case kBackupButton: OnBackup(); return true;
    case kUpdateButton: OnUpdate(); return true;
    case kCancelUpdateButton: OnCancelUpdate(); return true;
    default: return false;
  }
}

void UpdateDialogLogic::ChooseUpdater(std::u16string path) {
  context_.chosen_updater = std::move(path);
  view_.ShowPath(context_.chosen_updater);
}

void UpdateDialogLogic::OnOpen() {
  FileDialogRequest request;
  request.default_extension = u"exe";
  request.initial_name = u"*.exe";
  request.filter = UpdateTextOf(context_.texts, UpdateText::kOpenFilter);
  request.initial_folder = context_.package_folder;
  request.ask_before_overwrite = true;  // asked for, though an open dialog never overwrites
  std::optional<std::u16string> chosen = view_.AskFileName(request);
  view_.SetCurrentFolder(context_.package_folder);
  // Cancelling empties the choice.
  ChooseUpdater(chosen.value_or(u""));
}

void UpdateDialogLogic::OnBackup() {
  FileDialogRequest request;
  request.save = true;
  request.default_extension = u"fwc";
  request.initial_name = u"*.fwc";
  request.filter = UpdateTextOf(context_.texts, UpdateText::kBackupFilter);
  request.ask_before_overwrite = true;
  const std::optional<std::u16string> path = view_.AskFileName(request);
  if (!path) return;
  const bool written = ExportProfileFile(*path, context_.edit);
  view_.ShowText(UpdateTextOf(context_.texts, written ? UpdateText::kBackupDone : UpdateText::kBackupFailed));
}

void UpdateDialogLogic::OnUpdate() {
  const std::u16string updater = context_.chosen_updater;
  if (updater.empty() || !context_.file_exists || !context_.file_exists(updater)) {
    view_.ShowText(UpdateTextOf(context_.texts, UpdateText::kNoUpdater));
    return;
  }
  // What the keyboard holds is kept before the updater may replace it. With
  // no keyboard there is nothing to keep, and boot mode fails below.
  if (context_.backups && context_.commands.link().connected &&
      !BackUpBeforeReplacing(*context_.backups, context_.commands, context_.texts,
                             [this](std::u16string_view question) { return view_.AskYesNo(question); }))
    return;
  if (context_.commands.EnterBootMode() != kResultOk) {
    view_.ShowText(UpdateTextOf(context_.texts, UpdateText::kNoBootMode));
    return;
  }
  // Cleared whatever the shell answers: a second Update asks for a file.
  ChooseUpdater(u"");
  const intptr_t started = context_.start_program ? context_.start_program({u"open", updater, u"", u""}) : 0;
  if (started > 32) {
    view_.Close();
    return;
  }
  view_.ShowText(UpdateTextOf(context_.texts, UpdateText::kCannotStart));
}

void UpdateDialogLogic::OnCancelUpdate() {
  ChooseUpdater(u"");
  view_.Close();
}

}  // namespace keyloom
