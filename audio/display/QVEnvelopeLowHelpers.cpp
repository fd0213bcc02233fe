#include "QVEnvelopeLowHelpers.h"

#include "QVAudioResourcePrefs.h"
#include "QVDisplayZone.h"
#include "QVProvider.h"
#include "QVSampleEnvelope.h"
#include "QVSampleMinimax.h"
#include "QXSampleBuffer.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct DisplayPrefs {
    bool loaded = false;
    bool alwaysAsWaveform = false;
    double moreResolutionCoeff = 2.0;
};

DisplayPrefs sPrefs;

DisplayPrefs const& Prefs()
{
    if (!sPrefs.loaded) {
        sPrefs.alwaysAsWaveform = QVAudioResourcePrefs::sShared.envelopeAlwaysAsWaveform;
        sPrefs.moreResolutionCoeff = std::clamp(QVAudioResourcePrefs::sShared.envelopeMoreResolutionCoeff, 0.5, 4.0);
        sPrefs.loaded = true;
    }
    return sPrefs;
}

constexpr double kMinimaxScale = 32767.0;
constexpr int kNoChannel = -1;

// The sound's channel shown for a wanted channel, or kNoChannel.
int RouteChannel(QVProvider const* provider, unsigned int channel, unsigned int flags)
{
    unsigned int const count = provider != nullptr ? provider->GetFileInfo().channelCount : 0;
    if (count == 0)
        return kNoChannel;
    if (channel < count)
        return static_cast<int>(channel);
    if ((flags & kQVEnvelopeFlagWrapChannels) != 0)
        return static_cast<int>(channel % count);
    if (channel == 1 && (flags & kQVEnvelopeFlagMonoAsStereo) != 0 && count == 1)
        return 0;
    return kNoChannel;
}

// One zone as the two drawing steps see it.
struct ZoneView {
    QVProvider const* provider;
    AKTimeIntv source;
    AKTimeIntv local;
    double width;  // the zone's share of the width
    bool reversed;
    bool outerBegin;  // first zone of the range: its first point may start before the span
    bool outerEnd;    // last zone of the range: its last point may end after it
    int channels[2];
};

// Point indexes and places of a zone at q points per second of its sound.
// Point i lies at x(i) = origin + i * dx: the sound time i / q mapped onto
// the zone's local stretch.
struct Geometry {
    long long i0, i1, lo, hi;
    double origin, dx;
    double X(long long i) const { return origin + static_cast<double>(i) * dx; }
};

bool MakeGeometry(ZoneView const& zone, double q, long long lastIndex, Geometry* g)
{
    double const s0 = zone.source.beg * q;
    double const s1 = zone.source.end * q;
    g->i0 = static_cast<long long>(zone.outerBegin ? std::floor(s0) : std::ceil(s0));
    g->i1 = static_cast<long long>(zone.outerEnd ? std::ceil(s1) : std::floor(s1));
    g->lo = std::clamp(g->i0, 0ll, lastIndex);
    g->hi = std::clamp(g->i1, 0ll, lastIndex);
    if (g->hi > g->i1 || g->lo < g->i0 || g->hi < g->lo)
        return false;
    double const a = (zone.local.end - zone.local.beg) / (zone.source.end - zone.source.beg);
    g->dx = a / q;
    g->origin = zone.local.beg - zone.source.beg * a;
    return true;
}

// The values of points first..first + n - 1 of one channel: one sample per
// point for a step of 1, else a (min, max) pair per point over `step`
// samples, from the samples below the envelope's finest entries and from
// the envelope above. Where nothing can be read the values are 0.
void LowCopyAirySampleBuffer(QVProvider const* provider, int channel, long long first, long long n, long long step,
                             std::vector<double>* values)
{
    bool const pairs = step > 1;
    values->assign(static_cast<size_t>(n) * (pairs ? 2 : 1), 0.0);
    if (n <= 0)
        return;

    QVSampleEnvelope const* const envelope = provider->GetEnvelope();
    QVSampleEnvelope const fallback;  // the level constants of the preference, when the sound has no envelope
    unsigned int const finestGroup = envelope != nullptr ? envelope->FirstGroupSize() : fallback.FirstGroupSize();

    if (!pairs || step < static_cast<long long>(finestGroup)) {
        QXSampleBuffer<float> samples;
        unsigned long long const count = static_cast<unsigned long long>(n * step);
        if (!samples.Allocate(1, count, provider->GetFileInfo().sampleRate, true) ||
            !provider->CopySampleBuffer(&samples, 0, channel, first * step, true, nullptr))
            return;
        float const* data = samples.SamplePtrConst(0, 0);
        for (long long k = 0; k < n; ++k) {
            if (!pairs) {
                (*values)[k] = data[k];
                continue;
            }
            QVSampleMinimax const m = QVSampleMinimaxMakeWithSamples(data + k * step, static_cast<unsigned int>(step));
            (*values)[2 * k] = m.min / kMinimaxScale;
            (*values)[2 * k + 1] = m.max / kMinimaxScale;
        }
        return;
    }

    if (envelope == nullptr)
        return;
    unsigned int const level = envelope->EstimateGroupLevel(static_cast<double>(step));
    long long const m = envelope->MinimaxCountInGroup(level);
    if (m == 0)
        return;
    long long const last = first + n - 1;
    long long const a = std::max(first, 0ll);
    long long const b = std::min(last, m - 1);
    if ((first < 0 && last > m - 1) || a > b)
        return;
    for (long long j = a; j <= b; ++j) {
        QVSampleMinimax const* entry =
            envelope->MinimaxPtrConst(static_cast<unsigned int>(channel), level, static_cast<unsigned long long>(j));
        if (entry == nullptr)
            continue;
        (*values)[2 * (j - first)] = entry->min / kMinimaxScale;
        (*values)[2 * (j - first) + 1] = entry->max / kMinimaxScale;
    }
}

template <class T>
void PushPoint(QVEnvelopeLowHelpers::Points<T>* out, double x, double y)
{
    out->Push(static_cast<T>(x));
    out->Push(static_cast<T>(y));
}

template <class T>
void PushTriplet(QVEnvelopeLowHelpers::Points<T>* out, double x, double min, double max)
{
    out->Push(static_cast<T>(x));
    out->Push(static_cast<T>(min));
    out->Push(static_cast<T>(max));
}

template <class T>
void PushFlatLine(QVEnvelopeLowHelpers::Points<T>* out, ZoneView const& zone)
{
    if (zone.local.end > zone.local.beg) {
        PushPoint(out, zone.local.beg, 0.0);
        PushPoint(out, zone.local.end, 0.0);
    }
}

template <class T>
void PushFlatTriplets(QVEnvelopeLowHelpers::Points<T>* out, ZoneView const& zone)
{
    if (zone.local.end > zone.local.beg) {
        PushTriplet(out, zone.local.beg, 0.0, 0.0);
        PushTriplet(out, zone.local.end, 0.0, 0.0);
    }
}

bool IsDrawable(ZoneView const& zone)
{
    return zone.provider != nullptr && zone.source.end - zone.source.beg > 0.0 &&
           zone.local.end - zone.local.beg > 0.0 && zone.width > 0.0 && zone.channels[0] != kNoChannel &&
           zone.channels[1] != kNoChannel;
}

template <class T>
void LowComputeWaveformDoubletsXY(QVEnvelopeLowHelpers::Points<T>* out, ZoneView const& zone)
{
    DisplayPrefs const& prefs = Prefs();
    if (!IsDrawable(zone))
        return PushFlatLine(out, zone);
    long long const frames = static_cast<int>(zone.provider->GetFileInfo().frameCount);
    double const rate = zone.provider->GetFileInfo().sampleRate;
    if (frames <= 0 || !(rate > 0.0))
        return PushFlatLine(out, zone);
    double const p = (zone.source.end - zone.source.beg) * rate / (zone.width * prefs.moreResolutionCoeff);
    if (!prefs.alwaysAsWaveform && !(p < kQVEnvelopeWaveformThreshold))
        return PushFlatLine(out, zone);

    // The step is a whole level of the envelope's pyramid, so coarse points
    // line up with its entries.
    QVSampleEnvelope const* const envelope = zone.provider->GetEnvelope();
    QVSampleEnvelope const fallback;
    double const ratio = envelope != nullptr ? envelope->DivideFactor() : fallback.DivideFactor();
    long long step = static_cast<long long>(std::pow(ratio, std::floor(std::log(p) / std::log(ratio))));
    if (step < 4)
        step = 1;

    Geometry g;
    if (!MakeGeometry(zone, rate / static_cast<double>(step), frames - 1, &g))
        return PushFlatLine(out, zone);

    long long const n = g.hi - g.lo + 1;
    std::vector<double> values;
    LowCopyAirySampleBuffer(zone.provider, zone.channels[0], g.lo, n, step, &values);
    if (zone.channels[1] != zone.channels[0]) {
        std::vector<double> second;
        LowCopyAirySampleBuffer(zone.provider, zone.channels[1], g.lo, n, step, &second);
        for (size_t k = 0; k < values.size(); ++k)
            values[k] = (values[k] + second[k]) * 0.5;
    }

    bool const pairs = step > 1;
    if (!zone.reversed) {
        if (g.lo > g.i0) {
            PushPoint(out, g.X(g.i0), 0.0);
            PushPoint(out, g.X(g.lo), 0.0);
        }
        for (long long k = 0; k < n; ++k) {
            double const x = g.X(g.lo) + static_cast<double>(k) * g.dx;
            if (pairs) {
                PushPoint(out, x, values[2 * k]);
                PushPoint(out, x, values[2 * k + 1]);
            } else {
                PushPoint(out, x, values[k]);
            }
        }
        if (g.hi < g.i1) {
            PushPoint(out, g.X(g.hi), 0.0);
            PushPoint(out, g.X(g.i1), 0.0);
        }
        return;
    }

    // Reversed: point i is drawn where point i0 + i1 - i would be.
    long long const mirror = g.i0 + g.i1;
    if (g.hi < g.i1) {
        PushPoint(out, g.X(g.i0), 0.0);
        PushPoint(out, g.X(mirror - g.hi), 0.0);
    }
    for (long long k = 0; k < n; ++k) {
        double const x = g.X(mirror - g.hi) + static_cast<double>(k) * g.dx;
        long long const v = n - 1 - k;
        if (pairs) {
            PushPoint(out, x, values[2 * v + 1]);
            PushPoint(out, x, values[2 * v]);
        } else {
            PushPoint(out, x, values[v]);
        }
    }
    if (g.lo > g.i0) {
        PushPoint(out, g.X(mirror - g.lo), 0.0);
        PushPoint(out, g.X(g.i1), 0.0);
    }
}

template <class T>
void LowComputeEnvelopeTripletsXMM(QVEnvelopeLowHelpers::Points<T>* out, ZoneView const& zone)
{
    DisplayPrefs const& prefs = Prefs();
    if (!IsDrawable(zone) || prefs.alwaysAsWaveform)
        return PushFlatTriplets(out, zone);
    QVSampleEnvelope const* const envelope = zone.provider->GetEnvelope();
    if (envelope == nullptr || envelope->GroupCount() == 0)
        return PushFlatTriplets(out, zone);
    double const rate = envelope->SampleRate();
    double const p = (zone.source.end - zone.source.beg) * rate / (zone.width * prefs.moreResolutionCoeff);
    if (!(p >= kQVEnvelopeWaveformThreshold))
        return PushFlatTriplets(out, zone);
    unsigned int const level = envelope->EstimateGroupLevel(p);
    long long const m = envelope->MinimaxCountInGroup(level);
    unsigned long long const samplesPerEntry = envelope->ComputeSamplesByPixel(level);
    Geometry g;
    if (m == 0 || samplesPerEntry == 0 || !MakeGeometry(zone, rate / static_cast<double>(samplesPerEntry), m - 1, &g))
        return PushFlatTriplets(out, zone);

    unsigned int const first = static_cast<unsigned int>(zone.channels[0]);
    unsigned int const second = static_cast<unsigned int>(zone.channels[1]);
    auto entryAt = [&](long long j, double* min, double* max) {
        QVSampleMinimax const* a = envelope->MinimaxPtrConst(first, level, static_cast<unsigned long long>(j));
        QVSampleMinimax const* b = envelope->MinimaxPtrConst(second, level, static_cast<unsigned long long>(j));
        *max = a != nullptr ? a->max / kMinimaxScale : 0.0;
        *min = b != nullptr ? b->min / kMinimaxScale : 0.0;
    };

    long long const n = g.hi - g.lo + 1;
    double min = 0.0;
    double max = 0.0;
    if (!zone.reversed) {
        if (g.lo > g.i0) {
            PushTriplet(out, g.X(g.i0), 0.0, 0.0);
            PushTriplet(out, g.X(g.lo), 0.0, 0.0);
        }
        for (long long k = 0; k < n; ++k) {
            entryAt(g.lo + k, &min, &max);
            PushTriplet(out, g.X(g.lo) + static_cast<double>(k) * g.dx, min, max);
        }
        if (g.hi < g.i1) {
            PushTriplet(out, g.X(g.hi), 0.0, 0.0);
            PushTriplet(out, g.X(g.i1), 0.0, 0.0);
        }
        return;
    }

    long long const mirror = g.i0 + g.i1;
    if (g.hi < g.i1) {
        PushTriplet(out, g.X(g.i0), 0.0, 0.0);
        PushTriplet(out, g.X(mirror - g.hi), 0.0, 0.0);
    }
    for (long long k = 0; k < n; ++k) {
        entryAt(g.hi - k, &min, &max);
        PushTriplet(out, g.X(mirror - g.hi) + static_cast<double>(k) * g.dx, min, max);
    }
    if (g.lo > g.i0) {
        PushTriplet(out, g.X(mirror - g.lo), 0.0, 0.0);
        PushTriplet(out, g.X(g.i1), 0.0, 0.0);
    }
}

}  // namespace

template <class T>
bool QVEnvelopeLowHelpers::ComputeOneChannelEnvelope(Points<T>* waveform, Points<T>* envelope,
                                                     QVDisplayZoneList const& zones, unsigned int channel,
                                                     unsigned int flags, AKTimeIntv span, double width)
{
    unsigned int first = 0;
    unsigned int last = 0;
    if (width > 0.0 && span.end - span.beg > 0.0 && zones.SearchDisplayZone(span.beg, &first, true) &&
        zones.SearchDisplayZone(span.end, &last, true) && last >= first)
        return ComputeOneChannelEnvelope(waveform, envelope, zones, channel, flags, span, width, first, last);
    waveform->Clear();
    envelope->Clear();
    return false;
}

template <class T>
bool QVEnvelopeLowHelpers::ComputeOneChannelEnvelope(Points<T>* waveform, Points<T>* envelope,
                                                     QVDisplayZoneList const& zones, unsigned int channel,
                                                     unsigned int flags, AKTimeIntv span, double width,
                                                     unsigned int firstZone, unsigned int lastZone)
{
    waveform->Clear();
    envelope->Clear();
    double const spanLength = span.end - span.beg;
    if (!(width > 0.0) || !(spanLength > 0.0) || lastZone < firstZone || lastZone >= zones.GetDisplayZoneCount())
        return false;

    bool const alwaysAsWaveform = Prefs().alwaysAsWaveform;
    for (unsigned int index = firstZone; index <= lastZone; ++index) {
        QVDisplayZone const display = zones.GetDisplayZone(index, span);
        if (!(display.source.end - display.source.beg > 0.0))
            continue;
        ZoneView zone;
        zone.provider = display.provider;
        zone.source = display.source;
        zone.local = display.local;
        zone.width = (display.local.end - display.local.beg) * width / spanLength;
        zone.reversed = display.reversed;
        zone.outerBegin = index == firstZone;
        zone.outerEnd = index == lastZone;
        bool const paired = (flags & kQVEnvelopeFlagChannelPair) != 0 && zone.provider != nullptr &&
                            channel + 1 < zone.provider->GetFileInfo().channelCount;
        zone.channels[0] = RouteChannel(zone.provider, channel, flags);
        zone.channels[1] = RouteChannel(zone.provider, paired ? channel + 1 : channel, flags);

        LowComputeWaveformDoubletsXY(waveform, zone);
        if (!alwaysAsWaveform)
            LowComputeEnvelopeTripletsXMM(envelope, zone);
    }
    return true;
}

void QVEnvelopeLowHelpers::ReloadPrefs() { sPrefs.loaded = false; }

template bool QVEnvelopeLowHelpers::ComputeOneChannelEnvelope<float>(Points<float>*, Points<float>*,
                                                                     QVDisplayZoneList const&, unsigned int,
                                                                     unsigned int, AKTimeIntv, double);
template bool QVEnvelopeLowHelpers::ComputeOneChannelEnvelope<double>(Points<double>*, Points<double>*,
                                                                      QVDisplayZoneList const&, unsigned int,
                                                                      unsigned int, AKTimeIntv, double);
template bool QVEnvelopeLowHelpers::ComputeOneChannelEnvelope<float>(Points<float>*, Points<float>*,
                                                                     QVDisplayZoneList const&, unsigned int,
                                                                     unsigned int, AKTimeIntv, double, unsigned int,
                                                                     unsigned int);
template bool QVEnvelopeLowHelpers::ComputeOneChannelEnvelope<double>(Points<double>*, Points<double>*,
                                                                      QVDisplayZoneList const&, unsigned int,
                                                                      unsigned int, AKTimeIntv, double, unsigned int,
                                                                      unsigned int);
