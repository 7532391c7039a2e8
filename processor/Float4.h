#pragma once

#include <cstdint>

namespace zenvar
{

/** Four single-precision lanes processed together: lane 0 carries channel 0, lane 1 channel 1,
    lanes 2 and 3 ride along with zeros.

    Written with the compiler's vector extensions, so the same source becomes SSE on x86 and NEON
    on ARM. Every operation is lane-wise IEEE single precision, and each operator is its own
    function, so no compiler can fuse a multiply into a following add: a lane holds exactly the
    bits that scalar code with the same order of operations would give, on every processor.
*/
struct Float4
{
    using Lanes = float __attribute__ ((vector_size (16)));
    using Mask = std::int32_t __attribute__ ((vector_size (16)));

    Lanes lanes;

    //==============================================================================
    static Float4 broadcast (float value) noexcept { return { Lanes { value, value, value, value } }; }
    static Float4 fromLanes (float lane0, float lane1, float lane2, float lane3) noexcept { return { Lanes { lane0, lane1, lane2, lane3 } }; }

    float getLane (int index) const noexcept { return lanes[index]; }
    void setLane (int index, float value) noexcept { lanes[index] = value; }

    /** A Float4 holding lane `index` of this one in all four lanes. */
    Float4 broadcastLane (int index) const noexcept { return broadcast (lanes[index]); }

    //==============================================================================
    /** The raw bits of each lane, for sign tricks and lane selection. */
    Mask toBits() const noexcept { return (Mask) lanes; }
    static Float4 fromBits (Mask bits) noexcept { return { (Lanes) bits }; }

    /** Lane-wise choice: `whereTrue` where the mask lane is all ones, `whereFalse` where it is 0. */
    static Float4 select (Mask mask, Float4 whereTrue, Float4 whereFalse) noexcept
    {
        return fromBits ((mask & whereTrue.toBits()) | (~mask & whereFalse.toBits()));
    }
};

inline Float4 operator+ (Float4 a, Float4 b) noexcept { return { a.lanes + b.lanes }; }
inline Float4 operator- (Float4 a, Float4 b) noexcept { return { a.lanes - b.lanes }; }
inline Float4 operator* (Float4 a, Float4 b) noexcept { return { a.lanes * b.lanes }; }
inline Float4 operator/ (Float4 a, Float4 b) noexcept { return { a.lanes / b.lanes }; }

/** Lane-wise comparisons, giving all ones where true. NaN compares false. */
inline Float4::Mask operator<(Float4 a, Float4 b) noexcept { return a.lanes < b.lanes; }
inline Float4::Mask operator> (Float4 a, Float4 b) noexcept { return a.lanes > b.lanes; }

/** The tangent of each lane, faithful to single precision for |w| below π/2 away from the
    poles: sine and cosine from the single-precision minimax polynomials of the classic
    Cephes library after reduction by multiples of π/4, then their quotient. Branch-free: the
    octant picks polynomial and sign per lane by masks. */
Float4 tangent (Float4 w) noexcept;

} // namespace zenvar
