#pragma once

namespace dtu {

class GprsPage;
class SerialPage;
class SmsPage;

// Writes the values the editor shows after start-up over the pages' own defaults: texts into
// edits, selections into lists, the packet-splitting radio.
void WriteStartupValues(GprsPage& gprs, SmsPage& sms, SerialPage& serial);

}  // namespace dtu
