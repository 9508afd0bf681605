// What the print dialog needs from the printer: its name.
#ifndef VQWIN_PRINT_PRINTER_H
#define VQWIN_PRINT_PRINTER_H

#include <windows.h>

namespace vqwin::print {

/// The one printer of the layer; it is also the default printer.
constexpr const char *kPrinterName = "PDF";

const char *DefaultPrinterName();
/// Printer names are compared without regard to case, as Windows does.
bool IsPrinterName(const char *name);

} // namespace vqwin::print

#endif
