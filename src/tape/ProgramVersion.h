#pragma once
// The program's version text: written into every ident block and directory
// file header, and shown by the window.

inline constexpr char kProgramVersion[] = "1.6";
