// The roots of a solution u of p(x) u'' + q(x) u' + r(x) u = 0, with p, q and r polynomials of
// degree at most 2, found one after another in O(1) each by marching along x.
//
// How a basis uses it: it gives its ODE (the coefficients of p, q, r), a start point with u and
// u' there in long double (a node it knows, or a point such as 0 where u and u' are known in
// closed form), the direction and how many roots it wants. The march returns the roots in
// marching order, each with u' there, which is what the basis's weights need. The step from root
// to root comes from the ODE itself. The Taylor series reaches only part of the way to a zero of
// p (a singular point of the ODE, such as t = +-1 for Jacobi), so the march stops early when its
// next step would exceed `reach` times that distance; the basis finds the roots left over there
// (its end nodes) by its own recurrence.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// p(x) u'' + q(x) u' + r(x) u = 0; each array holds the coefficients of 1, x and x^2.
struct RootOde {
  long double p[3], q[3], r[3];
};

// Where the march begins: x with u(x) and u'(x). A start at a root sets atRoot (u then holds 0
// or the residual the caller knows), so that this root is not returned again.
struct MarchStart {
  long double x, u, du;
  bool atRoot;
};

struct MarchedRoot {
  long double x;           // the root of the local Taylor polynomial, not yet rounded
  long double derivative;  // u' at that root
  long double base;        // the point the root was expanded from (the node before, or the start)
  long double offset;      // x - base to full relative precision, for distances such as 1 - x
};

// Up to `count` roots beyond start.x in the direction of the sign of `direction`, in marching
// order; fewer when the march reaches the limit set by `reach` (or cannot go on).
std::vector<MarchedRoot> marchRoots(const RootOde& ode, const MarchStart& start, int direction,
                                    int32_t count, long double reach = 0.3L);

// The same march handing each root to `take` as it is found, in marching order, instead of
// keeping them; returns how many were found. For node sets of millions, where a vector of every
// root (64 bytes each) costs more to fill for the first time than the march takes.
using RootTaker = std::function<void(const MarchedRoot&)>;
int32_t marchRoots(const RootOde& ode, const MarchStart& start, int direction, int32_t count,
                   long double reach, const RootTaker& take);
