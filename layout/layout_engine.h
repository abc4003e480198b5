// The layout document engine: builds a layout file's items as controls in a container
// and fills them from a store of field values. One engine serves the process; its only
// user is the capture dialog's skin, so it lays out at 100 %, with no back side, no split
// and no data source.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "layout/core/layout_fields.h"
#include "layout/core/layout_file.h"
#include "layout/core/layout_items.h"
#include "layout/layout_controls.h"
#include "ui/controls.h"

namespace eos::layout {

class LayoutEngine {
 public:
  LayoutEngine();

  // Frees the container's layout controls (components tagged kTagKeep stay), then makes
  // one control per item line and sizes the container to the page. Every page line
  // ("csz") sizes the page, wherever it is; without one the page keeps the size it had.
  // A line whose item cannot be made is skipped, and a label whose font style is no
  // number is made but never shown. A file that does not exist does nothing; one that
  // cannot be read or is no layout shows "Failed to open " with the file's name. False
  // in both cases. A container whose header holds a count that is no number throws
  // LayoutConversionError, without a message: the caller answers it.
  bool LoadLayout(TextView file_name, ui::Container& container);

  void ClearFieldValues() { fields_.Clear(); }
  void SetFieldValue(TextView key, TextView value) { fields_.Set(key, value); }
  // The data pass (labels' visibility and "!!special:" texts, pictures that fields name),
  // then every field through the data labels that name it; then the labels are placed
  // (ArrangeLabels).
  void RefreshFields(ui::Container& container);
  // SetFieldValue and the data pass alone: plain data labels are not touched. Runs on
  // every tick of a countdown: nothing is measured unless a label changed, and a picture
  // a field names costs one look at its file unless its name changed or the file went.
  void SetFieldValueAndRefresh(TextView key, TextView value, ui::Container& container);

  // The file a picture name means (PictureFileCandidates: the layout's folder, then the
  // program folder's "dblogo\" and "logo\" and the program folder); empty when none
  // exists or the name is not a bare file name.
  Text ResolveImageFile(TextView name) const;
  // The host program's folder by default.
  void SetProgramFolder(TextView folder) { program_folder_ = Text(folder); }

  const LayoutPage& Page() const { return page_; }
  const FieldStore& Fields() const { return fields_; }
  // How often a layout file was read from disk.
  int FileReads() const { return file_reads_; }

  // Shows the engine's messages ("Failed to open " + name); the default writes the log.
  std::function<void(TextView message)> on_message;

 private:
  void Message(TextView text) const;
  void CreateItem(const LayoutItem& item, ui::Container& container, const LayoutDocument& doc);
  bool LoadPicture(const LayoutItem& item, const LayoutDocument& doc, imaging::Pixels& out);
  void ShowFieldPicture(LayoutImage& image);
  void DataPass(ui::Container& container, bool fill_data_labels);

  LayoutCache cache_;
  LayoutPage page_;
  FieldStore fields_;
  Text folder_;  // of the layout last loaded
  Text program_folder_;
  bool arranged_ = false;  // the labels of the last load were placed once
  int file_reads_ = 0;
};

// The layout controls of a container, in painting order.
std::vector<LayoutControl*> LayoutControls(const ui::Container& container);

LayoutEngine& Engine();

}  // namespace eos::layout
