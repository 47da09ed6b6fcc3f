#pragma once

#include <cstdint>

#include "core/editing/gprs_page_table.h"
#include "gui/pages/editor_page.h"

namespace dtu {

// The network page: operator access, protocol and identity, heartbeat and custom packets,
// centre addresses, DNS and domain names. It keeps no copy of its fields: what the block
// exchange and the checks need is read from the controls.
class GprsPage : public EditorPage {
  Q_OBJECT

 public:
  explicit GprsPage(UserMessages& messages, QWidget* parent = nullptr);

  // The value the protocol list's selection stands for: its index, or the unit's own value of
  // an extra entry; 255 without a selection.
  std::uint32_t selectedProtocol() const;

  // The device number field now holds the form of this protocol: protocol 9's hexadecimal
  // identifier, or a decimal device number. Called after the field was written for it; a
  // protocol chosen later converts the field between the two forms.
  void ShowDeviceNumberFormFor(std::uint32_t protocol);

  // After a load: the device number's form follows the block's protocol, and a protocol without
  // a centre number hides its field for the rest of the run.
  void AfterLoad(const ParameterBlock& block) override;

 protected:
  void AfterTextChange(int id, bool typed) override;
  void FieldLeft(int id) override;

 private:
  void CheckReceiveNumber(bool typed);
  void OnProtocolChosen();

  std::uint32_t device_number_protocol_ = 0;  // the protocol whose form the field holds
};

}  // namespace dtu
