#pragma once

// QVGainMatrix: routes the channels of one buffer onto the channels of
// another; one row per output channel, one column per input channel, the
// gain from input i to output o at o × inputs + i.
//
// The storage is reserved ahead (Allocate or the sized constructor) and never
// grows afterwards: SetSize and the fills work inside it, so the mixer
// reshapes and refills a matrix for every block on the audio thread without
// allocating. A matrix belongs to the thread that borrowed it.

#include <vector>

// Routing flags of the two fills; other bits are ignored.
// Fewer inputs than outputs: repeat the inputs cyclically over all outputs.
constexpr unsigned int kQVGainMatrixFillFurtherOutputs = 1;
// More inputs than outputs: wrap the surplus inputs onto the outputs instead of dropping them.
constexpr unsigned int kQVGainMatrixMixFurtherInputs = 2;
// Diagonal fill of a mono input: an output pair at 0.707 each instead of one output at 1.
constexpr unsigned int kQVGainMatrixMonoAsStereo = 4;

// The gain of a mono input sent to a pair by the diagonal fill (not 1/√2).
constexpr double kQVGainMatrixMonoAsStereoGain = 0.707;

class QVGainMatrix
{
public:
    // 0 × 0, no storage.
    QVGainMatrix() = default;
    // Reserves outputs × inputs coefficients and takes that size, all zero.
    QVGainMatrix(unsigned int outputCount, unsigned int inputCount);

    // Reserves storage for exactly outputs × inputs coefficients (releasing
    // any earlier storage) and takes that size, all zero. False, logged, for
    // more coefficients than the 32-bit block sizes can hold.
    bool Allocate(unsigned int outputCount, unsigned int inputCount);
    // Takes the size with every coefficient 0 when outputs × inputs fits in
    // the reserved storage; false, nothing changed, otherwise.
    bool SetSize(unsigned int outputCount, unsigned int inputCount);
    // Size 0 × 0, storage kept.
    void Clear();
    // Size 0 × 0, storage released.
    void Free();

    unsigned int OutputCount() const { return mOutputCount; }
    unsigned int InputCount() const { return mInputCount; }
    // Coefficients the reserved storage holds.
    unsigned int Capacity() const { return static_cast<unsigned int>(mCoeffs.size()); }

    // The gain from an input to an output (no bounds check).
    double GetCoeff(unsigned int output, unsigned int input) const { return mCoeffs[output * mInputCount + input]; }
    void SetCoeff(unsigned int output, unsigned int input, double gain)
    {
        mCoeffs[output * mInputCount + input] = gain;
    }
    // The row of an output: matrix[output][input].
    double const* operator[](unsigned int output) const { return mCoeffs.data() + output * mInputCount; }
    // The outputs × inputs coefficients, row-major.
    double const* Coeffs() const { return mCoeffs.data(); }

    void FillWithZeros();
    // Takes the size and copies outputs × inputs row-major coefficients; false,
    // nothing changed, when they do not fit in the reserved storage, there
    // are no coefficients to copy or one of them is NaN or infinite.
    bool FillWithCoeffs(double const* coeffs, unsigned int outputCount, unsigned int inputCount);
    // Whether no coefficient is NaN or infinite (true for an empty matrix).
    bool HasOnlyFiniteCoeffs() const;

    // The same object, or the same size and equal coefficients (NaN never equal).
    bool IsEqual(QVGainMatrix const& other) const;

    // Near 0: every coefficient 0; near 1: nothing; otherwise every
    // coefficient × gain. False, nothing changed, for a NaN or infinite gain.
    bool MulByGain(double gain);
    // this = a × b (apply b, then a). Needs a's inputs = b's outputs, this
    // matrix being neither, and room for a's outputs × b's inputs.
    bool MakeProduct(QVGainMatrix const& a, QVGainMatrix const& b);

    // Routes the inputs onto the outputs from `outputOffset` (output indices
    // wrap) with gains of 1 (0.707 for a mono input with MonoAsStereo).
    void DistributeDiagonal(unsigned int flags, unsigned int outputOffset);
    // Equal-power panning from `outputOffset`: a mono input onto an output pair,
    // other inputs as stereo pairs, balance style. pan runs from -1 (hard left)
    // to +1 (hard right).
    void DistributePanoramics(unsigned int flags, unsigned int outputOffset, double pan);

    // Mixes inputs into one output: destination += sources[k] × gain(output,
    // firstInput + k) for k from 0 to inputCount - 1, over `count` samples.
    // The result is that of one CopyAddWithGain pass per input in input
    // order (gains near 0 skipped, near 1 a plain sum, float instances
    // multiplying in float), made in one pass over the destination. Null
    // sources are skipped; nothing without a destination. At most
    // kMixRowMaxInputs inputs per call: a caller with more calls again for
    // the next inputs. Audio thread: no allocation.
    template <typename T>
    void MixRowInto(T* destination, unsigned int output, unsigned int firstInput, T const* const* sources,
                    unsigned int inputCount, unsigned int count) const;
    static constexpr unsigned int kMixRowMaxInputs = 16;

    // Zeroes the column of every input whose bit is set (inputs 0 to 63).
    void ApplyMutedChannelsOnInputs(unsigned long long mutedInputs);
    // Zeroes the row of every output whose bit is set (outputs 0 to 63).
    void ApplyMutedChannelsOnOutputs(unsigned long long mutedOutputs);

private:
    unsigned int CoeffCount() const { return mOutputCount * mInputCount; }
    // How many channels a fill routes when the input is not mono.
    unsigned int RoutedChannelCount(unsigned int flags) const;

    unsigned int mOutputCount = 0;
    unsigned int mInputCount = 0;
    // The reserved storage; its size is the capacity and never changes but in
    // Allocate and Free. The first outputs × inputs elements are the coefficients.
    std::vector<double> mCoeffs;
};
