// "Tools" > "Score": slides the interval along the samples at fixed width and measures how far
// the expansion of each window drifts from that of the starting interval.
#pragma once

#include <optional>

#include "app/window.h"
#include "app/workspace.h"
#include "tools/tool_views.h"

// The curve (window start, distance), returned after the interval has been restored and
// recomputed so that, made the Values table, it stays on screen and can be saved. The
// distance is the norm of the coefficient difference weighted by the squared norms of the
// Jacobi polynomials for the current alpha and beta, whatever the basis. Nothing when a
// recompute refused the counts, which it has said.
std::optional<ValuesTable> slidingScore(Workspace& ws, Window& window);

// The squared norm of the Jacobi polynomial of degree k, the integral over [-1, 1] of
// (1 - t)^alpha (1 + t)^beta P_k^(alpha,beta)(t)^2: 2^(alpha + beta + 1) / (2k + alpha + beta + 1)
// times Gamma(k + alpha + 1) Gamma(k + beta + 1) / (Gamma(k + alpha + beta + 1) k!).
long double jacobiSquaredNorm(int32_t k, double alpha, double beta);
