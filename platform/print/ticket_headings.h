#pragma once
// The lines the station puts at the head of a spooled ticket it sends
// somewhere the kitchen would not expect, rendered for the printer that
// prints them (its columns, code page and red) and put before the ticket's
// own bytes, which begin by setting the printer back to plain.
//  - A ticket the printer may already have printed (the station was killed,
//    or the connection cut, while the printer took it):
//      ** REPEAT? K-12 - CHECK BEFORE COOKING **
//    naming the kitchen order (K-n), else the bar order, else nothing.
//  - A ticket printed on a backup printer for the printer it was meant for:
//      FOR KITCHEN1 - KITCHEN1 HAS NO PAPER

#include <string>
#include <string_view>

#include "platform/print/escpos_renderer.h"
#include "platform/print/printer_condition.h"

namespace korv {

// Whether the job prints any text: a paper cut sent as a job of its own
// needs no heading.
bool PrintsText(std::string_view job_bytes);
// "K-12" (a kitchen ticket's order), "BAR 7" (a bar ticket's), or empty,
// read from the ticket's rendered bytes.
std::string TicketLabel(std::string_view job_bytes);
std::string RepeatHeadingText(const std::string& label);
// The printer's name as the kitchen knows it (the device name's first
// word) and why it is not printing.
std::string BackupHeadingText(const std::string& device_name, PrinterCondition condition);
// The text as a bold red line on the printer, fitted to its paper.
std::string HeadingBytes(const std::string& text, const EscPosPrinter& printer);

}  // namespace korv
