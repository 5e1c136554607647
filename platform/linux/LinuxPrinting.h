#pragma once
// Printers through the CUPS command-line tools: lpstat lists the printers
// and the user's default, lpoptions -d sets that default (the user's own,
// in ~/.cups/lpoptions), lp prints one file, on a named printer for that
// job only (-d), so that the default is never touched to print elsewhere.
// Names and paths are arguments, never spliced into a command line.
#include "DesktopServices.h"

namespace zelk {

class LinuxPrintService : public PrintService {
public:
    static constexpr int kCommandWaitMs = 30000;

    QStringList printers() override;
    QString defaultPrinter() override;
    bool setDefaultPrinter(const QString& name) override;
    bool printFile(const QString& path, const QString& printer) override;
};

} // namespace zelk
