#pragma once
// The wheelchair spaces take the place of seats on the plan, and the hall's capacity counts them.
//
// A space covers 0.80 m across from its edge nearest the lower wall and 1.20 m deep in front of
// its back edge (its user's eyes, at the back of its row as a seated row's eyes are). Every seat
// of the plan whose place it overlaps, even in part, makes way for it: a seat cannot stand half
// over a wheelchair. A seat's place is its width across and its row's depth, from the row's
// front edge to its eyes. Where the row distance is less than 1.20 m, a space in a row reaches
// over the back of the row in front, whose seats under it make way too (their floor becomes the
// space's level floor); a space in the first row reaches into the free floor before it.
//
// Those seats leave the plan's counts: the seat total, each class's count and share, each row's
// runs and the seats outside DISCAS's viewing area. The farthest viewer to the image's far edge
// stays that of the seats' grid: a space's user sits where its seats stood.
//
// The decree counts the places for people with disabilities against the hall's capacity, so
// n = the seats left + the wheelchair spaces placed. Without places given, the hall gets the
// fewest spaces that meet the count of the capacity they leave (each one they add takes one or
// more seats, so the capacity falls as they are placed).

#include "report/sightline_analysis.h"

namespace vm {

struct DadosProjeto;

// The seats of the plan (`seatsPerRow` in each of `rows` rows) under the space `w`, row by row:
// its own row's first (a space in a row), then those in front. Nothing for a place without
// figures. Sets nothing: see TakeSeatsForWheelchairs.
std::vector<SeatSpan> SeatsUnderSpace(const DadosProjeto& p, const WheelchairPosition& w,
                                      std::int64_t seatsPerRow, int rows);

// Places the wheelchair spaces `inputs` asks for (or the hall's own), takes the seats under
// them out of the plan's counts and works out the accessibility counts from the capacity. `a`
// holds the rows, the seats and the DISCAS figures of the seats' grid; it gains the spaces, the
// counts (or their reason) and the seats taken.
void PlaceWheelchairSpaces(const DadosProjeto& p, const AccessibilityInputs& inputs,
                           SightlineAnalysis& a);

}  // namespace vm
