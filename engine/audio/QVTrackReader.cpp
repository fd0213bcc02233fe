// Rendering a track's zones into a block and routing them onto the device
// channels.

#include "QVTrackReader.h"

#include "QVAudioMemory.h"
#include "QVProvider.h"
#include "QVTrackZoneArray.h"

#include <algorithm>
#include <cmath>

namespace {

// Route option bits that shape the matrix: fill further out, mix further in.
constexpr unsigned int kRouteMatrixFlags = 0x3;

bool IsIdentity(QVGainMatrix const& matrix)
{
    if (matrix.OutputCount() != matrix.InputCount())
        return false;
    for (unsigned int o = 0; o < matrix.OutputCount(); ++o)
        for (unsigned int i = 0; i < matrix.InputCount(); ++i)
            if (matrix.GetCoeff(o, i) != (o == i ? 1.0 : 0.0))
                return false;
    return true;
}

QVSampleRange NormRange(AKNormIntv intv) { return QVSampleRangeMakeNorm(kQVSampleRangeAllChannels, intv); }

// Keeps a buffer's working channel count and puts it back.
class WorkingChannelsGuard
{
public:
    explicit WorkingChannelsGuard(QXSampleBuffer<double>* buffer) : mBuffer(buffer), mKept(buffer->ChannelCount()) {}
    ~WorkingChannelsGuard() { mBuffer->SetWorkingChannelCount(mKept, true); }
    WorkingChannelsGuard(WorkingChannelsGuard const&) = delete;
    WorkingChannelsGuard& operator=(WorkingChannelsGuard const&) = delete;

private:
    QXSampleBuffer<double>* const mBuffer;
    unsigned int const mKept;
};

}  // namespace

bool QVTrackReader::GrabAudioBlockOfTrackZones(QXSampleBuffer<double>* buffer, QVTrackReadSource const& source,
                                               AKTimeIntv intv, double speed, double pan, unsigned int* hint,
                                               bool exactAllowed, bool* exact) const
{
    if (exact != nullptr)
        *exact = false;
    if (buffer == nullptr)
        return false;
    QVAudioZoneDesc& desc = mMemory.GetZoneDesc();
    if (source.zones != nullptr)
        ComputeZoneDesc(&desc, *source.zones, source.zoneFade,
                        {std::min(intv.beg, intv.end), std::max(intv.beg, intv.end)}, hint);
    else
        desc.Clear();
    // The block is zeroed before the first write, unless that write is a
    // zone filling all of it straight from its sound.
    bool zeroed = false;
    auto zeroOnce = [&] {
        if (!zeroed)
            buffer->Zeroset(kQVSampleRangeAll);
        zeroed = true;
    };
    if (buffer->IsEmpty() || desc.IsEmpty()) {
        zeroOnce();
        return false;
    }

    // The zone's own channels before routing, over the same frames as the block.
    QXSampleBuffer<double>* const zoneBuffer = mMemory.RetainWorkingBuffer(3);
    if (zoneBuffer == nullptr) {
        zeroOnce();
        return false;
    }
    QVGainMatrix* const matrix = mMemory.RetainWorkingGainMatrix();
    unsigned int const outputs = buffer->ChannelCount();
    unsigned int count = 0;
    bool lastExact = false;
    if (matrix != nullptr && zoneBuffer->StackWorkingSubRange(0, buffer->FrameCount())) {
        QVTrackZoneArray const& zones = *source.zones;
        for (QVAudioSector const& sector : desc) {
            unsigned int const index = static_cast<unsigned int>(sector.SrcZoneIndex);
            QVTrackZone const& zone = index < zones.Count() ? zones[index] : kQVNullTrackZone;
            QVProvider const* const provider = zone.GetProvider();
            unsigned int const channels =
                provider != nullptr ? std::min(provider->GetFileInfo().channelCount, kQVEngineSourceChannelCountMax)
                                    : 0;
            if (channels == 0 || !matrix->SetSize(outputs, channels))
                continue;
            matrix->DistributePanoramics(source.routeOptions & kRouteMatrixFlags, source.routeOffset, pan);
            // The first zone may skip routing when routing would leave it as it is.
            bool const direct = count == 0 && IsIdentity(*matrix);
            QXSampleBuffer<double>* const destination = direct ? buffer : zoneBuffer;
            bool const fills = direct && sector.DesIsFull;
            if (!fills)
                zeroOnce();
            WorkingChannelsGuard channelsGuard(destination);
            if (!destination->SetWorkingChannelCount(channels, false))
                continue;

            double const x = static_cast<double>(destination->FrameCount()) * sector.DesBodyNormIntv.beg;
            double const fraction = x - std::floor(x + 0.5);
            double const sourceTime = zone.GetSourceTimeFromLocalTime(sector.SrcLocalTimeIntv.beg);
            if (!destination->StackWorkingSubRange(sector.DesBodyNormIntv))
                continue;
            bool zoneExact = false;
            bool const read = GrabAudioBlockOfProvider(destination, fraction, provider, sourceTime, zone.GetScale(),
                                                       std::fabs(speed), 0, exactAllowed, &zoneExact);
            destination->UnstackWorkingSubRange();
            if (fills)
                zeroed = true;  // the read filled or zeroed every frame
            if (!read)
                continue;
            if (sector.DesHasFadi)
                destination->ApplyFadeIn(sector.DesFadiNormCoeff, NormRange(sector.DesFadiNormIntv));
            if (sector.DesHasFado)
                destination->ApplyFadeOut(sector.DesFadoNormCoeff, NormRange(sector.DesFadoNormIntv));
            if (direct) {
                buffer->ApplyGain(source.gain, NormRange(sector.DesBodyNormIntv));
            } else {
                matrix->MulByGain(source.gain);
                buffer->CopyAddWithMatrix(*zoneBuffer, *matrix, NormRange(sector.DesBodyNormIntv));
            }
            ++count;
            lastExact = zoneExact;
        }
    }
    if (matrix != nullptr)
        mMemory.ReleaseWorkingGainMatrix(*matrix);
    zoneBuffer->ResetAllWorkingSubRanges();
    mMemory.ReleaseWorkingBuffer(*zoneBuffer);

    bool const result = count > 0;
    if (!result)
        zeroOnce();
    if (result && intv.beg > intv.end)
        buffer->Reverse(kQVSampleRangeAll);
    if (exact != nullptr)
        *exact = result && lastExact;
    return result;
}

unsigned int QVTrackReader::GrabAudioBlockOfTracks(QXSampleBuffer<double>* buffer, QVTrackReadSource const* sources,
                                                   unsigned int count, AKTimeIntv intv, double speed, double pan,
                                                   unsigned int* hints, bool exactAllowed,
                                                   unsigned long long* exactMask) const
{
    if (exactMask != nullptr)
        *exactMask = 0;
    if (buffer == nullptr)
        return 0;
    // Until a track renders, each one writes the buffer itself (zeroed when
    // it has nothing).
    if (count == 0)
        buffer->Zeroset(kQVSampleRangeAll);
    QXSampleBuffer<double>* other = nullptr;
    unsigned int rendered = 0;
    for (unsigned int i = 0; i < count; ++i) {
        QXSampleBuffer<double>* destination = buffer;
        if (rendered > 0) {
            if (other == nullptr)
                other = mMemory.RetainWorkingBufferSameAs(*buffer);
            if (other == nullptr)
                break;
            destination = other;
        }
        bool exact = false;
        if (!GrabAudioBlockOfTrackZones(destination, sources[i], intv, speed, pan,
                                        hints != nullptr ? &hints[i] : nullptr, exactAllowed, &exact))
            continue;
        if (destination != buffer)
            buffer->CopyAdd(*destination, kQVSampleRangeAll);
        ++rendered;
        if (exact)
            QVTrackExactMaskSet(exactMask, i);
    }
    if (other != nullptr)
        mMemory.ReleaseWorkingBuffer(*other);
    return rendered;
}

bool QVTrackReader::ApplyRouteMultiChannels(QXSampleBuffer<double>* destination, QXSampleBuffer<double> const& source,
                                            QVSampleRange const& range, unsigned int routeOptions,
                                            unsigned int routeOffset, double pan, double gain) const
{
    if (destination == nullptr)
        return false;
    QVGainMatrix* const matrix = mMemory.RetainWorkingGainMatrix(destination->ChannelCount(), source.ChannelCount());
    if (matrix == nullptr)
        return false;
    matrix->DistributePanoramics(routeOptions & kRouteMatrixFlags, routeOffset, pan);
    bool const done = matrix->MulByGain(gain) && destination->CopyAddWithMatrix(source, *matrix, range);
    mMemory.ReleaseWorkingGainMatrix(*matrix);
    return done;
}
