// section.cpp — placeholder until the section generator lands.
#include "section.h"

#include <stdexcept>

namespace korvel {
namespace {
[[noreturn]] void NotYet() { throw std::logic_error("section generator not built yet"); }
}  // namespace
void BuildBaseSection(ModelState&, int, double, double, double, double, double, double, double, double) { NotYet(); }
void KarmanTrefftzSection(ModelState&, double, double, double, double) { NotYet(); }
void ScaleSection(ModelState&, int, double) { NotYet(); }
void OrientSection(ModelState&) { NotYet(); }
void FlipSectionVertical(ModelState&) { NotYet(); }
void FlipSectionHorizontal(ModelState&) { NotYet(); }
void HalfCircleTable(array1Df&, array1Df&, int32_t) { NotYet(); }
void FullCircleTable(array1Df&, array1Df&, int32_t) { NotYet(); }
void SwapDouble(double& a, double& b) { const double t = a; a = b; b = t; }
}  // namespace korvel
