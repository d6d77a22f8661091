// Fits a smooth curve through (0, 0), the valid control points in slot order and (255, 255), and
// samples it into the 256-entry lookup table.
//
// The curve is a parametric cubic path (x(t), y(t)) with chord-length parameterisation and free
// ends; its tangents come from ten Jacobi sweeps over the tridiagonal system. The path is walked
// in half-unit steps along each segment's larger chord component, and every sample whose x is a
// table index 0..254 writes its clamped y there, the last sample winning.
//
// The arithmetic is fixed so that every target builds the same table, bit for bit, that stored
// scripts have always produced: reals are stored as 32-bit floats, every expression is evaluated
// in double precision in the order written here and rounded to float only when stored, and reals
// become integers by truncation toward zero.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"

// Writes all 256 entries of lut from the valid points among slotCount slots: the identity when
// there is none, otherwise the walk's samples over the identity, and 255 at entry 255 (the fixed
// end). Returns the number of samples the walk produced (0 when no spline is built).
int32_t BuildSmoothTable(const ControlPoint* points, int32_t slotCount, int32_t (&lut)[kLutSize]);

// The same smooth curve at real input levels, for samples of more than 8 bits: at every
// x = i / samplesPerLevel, i from 0 to 255 * samplesPerLevel, the y of the path where it passes
// over x, the last pass winning where the path loops back, as in the table; neither rounded nor
// clamped. The identity where no slot is valid.
void SampleSmoothCurve(const ControlPoint* points, int32_t slotCount, int32_t samplesPerLevel,
                       float* samples);
