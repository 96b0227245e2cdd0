#pragma once
// The start-up read of the profile file: every setting the program takes
// from it, with its default, checked and normalised.

namespace zh {

struct Program;

// Returns false when the person cancelled the choice of the profile file
// (the program then ends).
bool readProfileFile(Program& program);

}  // namespace zh
