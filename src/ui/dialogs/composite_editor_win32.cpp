#include "ui/dialogs/composite_editor_win32.h"

#include <array>
#include <memory>

namespace keyloom {

namespace {
constexpr std::array<std::u16string_view, CompositePictures::kSets> kPictureSets = {u"key", u"macro", u"media",
                                                                                   u"function", u"macro2"};
constexpr std::array<std::u16string_view, CompositePictures::kLooks> kLookSuffixes = {u"_normal.jpg", u"_over.jpg",
                                                                                      u"_down.jpg", u"_disable.jpg"};
}  // namespace

void CompositePictures::Load(HWND window, int width, int height, const std::u16string& skin_folder) {
  for (int set = 0; set < kSets; ++set)
    for (int look = 0; look < kLooks; ++look) {
      auto surface = std::make_unique<SkinSurface>(window, width, height);
      // A missing picture only leaves the buttons without that look.
      surface->DrawPicture(skin_folder + std::u16string(kPictureSets[set]) + std::u16string(kLookSuffixes[look]));
      surfaces_[set * kLooks + look] = std::move(surface);
    }
  loaded_ = true;
}

StateSurfaces CompositePictures::Looks(int set) const {
  auto at = [&](int look) { return surfaces_[set * kLooks + look].get(); };
  return {at(0), at(1), at(2), at(3), at(2)};
}

CompositeEditor::CompositeEditor(CompositeEditorContext& context) : context_(context), texts_(context.texts) {}

CompositeEditor::~CompositeEditor() { Close(); }

int CompositeEditor::OpenForButton(int button_id) {
  if (dialog_ || !EditTargetOfButton(button_id)) return -1;
  const int profile = context_.active_profile ? context_.active_profile() : -1;
  if (profile < 0 || profile >= kProfileCount) return -1;
  const Clock& clock = context_.clock ? *context_.clock : system_clock_;
  Keyloom_DlgComposite dialog(context_, pictures_, texts_, clock, button_id, profile);
  dialog_ = &dialog;
  const INT_PTR result = dialog.DoModal();
  dialog_ = nullptr;
  return result == -1 ? -1 : 0;
}

bool CompositeEditor::Close() { return !dialog_ || dialog_->RequestClose(); }

void CompositeEditor::Relabel(int language) {
  if (dialog_ && dialog_->hwnd()) SendMessageW(dialog_->hwnd(), kLanguageMessage, kLanguageMessageTag, language);
}

void CompositeEditor::StopRecording() {
  if (dialog_) dialog_->logic().macro_page().StopRecording();
}

}  // namespace keyloom
