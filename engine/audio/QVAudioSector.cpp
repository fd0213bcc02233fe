#include "QVAudioSector.h"

#include "AKLog.h"

namespace {

void PrintIntv(char const* name, double beg, double end) { AKLog("  %-17s (%.3lf;%.3lf)\n", name, beg, end); }

// A normalised part of the interval back in its times.
void PrintMapped(char const* name, AKNormIntv part, AKTimeIntv intv)
{
    double const span = intv.end - intv.beg;
    PrintIntv(name, intv.beg + part.beg * span, intv.beg + part.end * span);
}

}  // namespace

void QVAudioSectorDebugPrint(QVAudioSector const& sector, AKTimeIntv intv)
{
    AKLog("  SrcZoneIndex      %d\n", sector.SrcZoneIndex);
    PrintIntv("SrcLocalTimeIntv", sector.SrcLocalTimeIntv.beg, sector.SrcLocalTimeIntv.end);
    PrintIntv("SrcPlayTimeIntv", sector.SrcPlayTimeIntv.beg, sector.SrcPlayTimeIntv.end);
    PrintIntv("DesBodyNormIntv", sector.DesBodyNormIntv.beg, sector.DesBodyNormIntv.end);
    PrintIntv("DesFadiNormIntv", sector.DesFadiNormIntv.beg, sector.DesFadiNormIntv.end);
    PrintIntv("DesFadiNormCoeff", sector.DesFadiNormCoeff.beg, sector.DesFadiNormCoeff.end);
    PrintIntv("DesFadoNormIntv", sector.DesFadoNormIntv.beg, sector.DesFadoNormIntv.end);
    PrintIntv("DesFadoNormCoeff", sector.DesFadoNormCoeff.beg, sector.DesFadoNormCoeff.end);
    AKLog("  DesIsFull         %d\n", sector.DesIsFull ? 1 : 0);
    AKLog("  DesHasFadi        %d\n", sector.DesHasFadi ? 1 : 0);
    AKLog("  DesHasFado        %d\n", sector.DesHasFado ? 1 : 0);
    if (intv != kAKNullTimeIntv) {
        PrintMapped("DesFadiTimeIntv", sector.DesFadiNormIntv, intv);
        PrintMapped("DesFadoTimeIntv", sector.DesFadoNormIntv, intv);
    }
}
