// The layout document engine: builds a layout file's items as controls in a container
// and fills its data labels from a store of field values. One engine serves the
// process; its only user is the capture dialog's skin, so it lays out at 100 %, with
// no back side, no split and no data source.
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
  // Frees the container's layout controls (components tagged kTagKeep stay), then makes
  // one control per item line and sizes the container to the page. A file that does not
  // exist does nothing; one that cannot be read shows "Failed to open " with the file's
  // name. False in both cases. A line whose item cannot be made is skipped.
  bool LoadLayout(TextView file_name, ui::Container& container);

  void ClearFieldValues() { fields_.Clear(); }
  void SetFieldValue(TextView key, TextView value) { fields_.Set(key, value); }
  // The data pass (visibility and "!!special:" labels), then every field through the
  // data labels that name it.
  void RefreshFields(ui::Container& container);
  // SetFieldValue and the data pass alone: plain data labels are not touched.
  void SetFieldValueAndRefresh(TextView key, TextView value, ui::Container& container);

  const LayoutPage& Page() const { return page_; }
  const FieldStore& Fields() const { return fields_; }
  // How often a layout file was read from disk.
  int FileReads() const { return file_reads_; }

  // Shows the engine's messages ("Failed to open " + name); the default writes the log.
  std::function<void(TextView message)> on_message;

 private:
  void Message(TextView text) const;
  void CreateItem(const LayoutItem& item, ui::Container& container, const LayoutDocument& doc, TextView folder);
  bool LoadPicture(const LayoutItem& item, const LayoutDocument& doc, TextView folder, imaging::Pixels& out);
  void DataPass(ui::Container& container) const;

  LayoutCache cache_;
  LayoutPage page_;
  FieldStore fields_;
  int file_reads_ = 0;
};

// The layout controls of a container, in painting order.
std::vector<LayoutControl*> LayoutControls(const ui::Container& container);

LayoutEngine& Engine();

}  // namespace eos::layout
