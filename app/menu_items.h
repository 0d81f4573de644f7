// Caption paths of the checkable menu items whose marks the commands read or set, each named
// once. (The Source and series items come from sourceMenuItem and seriesMenuItem.)
#pragma once

inline constexpr char intervalModeItem[] = "Edit > Interval";
inline constexpr char abscissaGridItem[] = "View > Grid on Abscissa";
inline constexpr char ordinateGridItem[] = "View > Grid on Ordinate";
inline constexpr char legendItem[] = "View > Legend";
inline constexpr char invertAbscissaItem[] = "View > Invert Abscissa";
inline constexpr char invertOrdinateItem[] = "View > Invert Ordinate";
inline constexpr char logarithmicOrdinateItem[] = "View > Logarithmic Ordinate";
inline constexpr char valuesSeriesItem[] = "View > Values";
inline constexpr char automaticTermsItem[] = "Edit > Automatic Terms";
inline constexpr char coefficientsViewItem[] = "View > Coefficients";
