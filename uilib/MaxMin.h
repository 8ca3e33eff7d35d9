// Integer helpers of the UI library's small units.
#pragma once

// The larger of A and B (B when they are equal).
constexpr int Max(int A, int B) {
    return A > B ? A : B;
}
// The smaller of A and B.
constexpr int Min(int A, int B) {
    return A < B ? A : B;
}
