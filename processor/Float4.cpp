#include "Float4.h"

namespace zenvar
{

Float4 tangent (Float4 w) noexcept
{
    using Mask = Float4::Mask;

    const auto b = Float4::broadcast;
    const Mask signBit { INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN };
    const Mask one { 1, 1, 1, 1 };
    const Mask two { 2, 2, 2, 2 };
    const Mask four { 4, 4, 4, 4 };

    // tan is odd: work on |w| and give the sine the sign of w.
    const auto sineSign = w.toBits() & signBit;
    auto x = Float4::fromBits (w.toBits() & ~signBit);

    // Octant of |w|, made even, so that the reduced argument lies within ±π/4.
    auto octant = __builtin_convertvector((x * b (1.27323954473516f)).lanes, Mask);
    octant = (octant + one) & ~one;
    const auto octantAsFloat = Float4 { __builtin_convertvector(octant, Float4::Lanes) };

    const auto swapSineSign = (octant & four) << 29;
    const auto useSinePolynomialForSine = (octant & two) == 0;
    const auto cosineSign = (~(octant - two) & four) << 29;

    // Three-part π/4, so that the reduction stays exact to single precision.
    x = x - octantAsFloat * b (0.78515625f);
    x = x - octantAsFloat * b (2.4187564849853515625e-4f);
    x = x - octantAsFloat * b (3.77489497744594108e-8f);

    const auto z = x * x;

    auto cosinePolynomial = b (2.443315711809948e-5f) * z + b (-1.388731625493765e-3f);
    cosinePolynomial = cosinePolynomial * z + b (4.166664568298827e-2f);
    cosinePolynomial = cosinePolynomial * z * z;
    cosinePolynomial = cosinePolynomial - z * b (0.5f);
    cosinePolynomial = cosinePolynomial + b (1.0f);

    auto sinePolynomial = b (-1.9515295891e-4f) * z + b (8.3321608736e-3f);
    sinePolynomial = sinePolynomial * z + b (-1.6666654611e-1f);
    sinePolynomial = sinePolynomial * z * x;
    sinePolynomial = sinePolynomial + x;

    const auto sine = Float4::select (useSinePolynomialForSine, sinePolynomial, cosinePolynomial);
    const auto cosine = Float4::select (useSinePolynomialForSine, cosinePolynomial, sinePolynomial);

    const auto signedSine = Float4::fromBits (sine.toBits() ^ (sineSign ^ swapSineSign));
    const auto signedCosine = Float4::fromBits (cosine.toBits() ^ cosineSign);
    return signedSine / signedCosine;
}

} // namespace zenvar
