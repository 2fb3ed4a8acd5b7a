// The frame count and frame size of an AVI clip, read from the start of its bytes.
#pragma once
#include <cstddef>
#include <string_view>

struct TClipInfo {
    int Frames = 0, Width = 0, Height = 0;
};

// The bytes of a clip's start that ReadClipInfo needs.
constexpr std::size_t ClipStartSize = 72;

// Zeros unless start begins with "RIFF" size "AVI " "LIST" size "hdrl" "avih" size and a whole
// main header.
TClipInfo ReadClipInfo(std::string_view start);
