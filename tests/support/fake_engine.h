// A recording stand-in for the engine library: every call is logged with its arguments,
// and entity and camera positions are kept so that reads answer what moves wrote.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "zelvaro_engine.h"

struct EngineCall {
    std::string name;
    std::vector<double> args; // numbers in call order (ints, floats, handles)
    std::string text;         // the text argument, if any
};

struct FakePlace {
    float x = 0, y = 0, z = 0; // position
    float a = 0, b = 0, c = 0; // orientation as last set
};

struct FakeEngineState {
    bool record = true;                  // turn off for long runs that only need positions
    std::vector<EngineCall> calls;
    std::map<int, FakePlace> entities;
    std::map<int, FakePlace> cameras;
    std::map<int, std::vector<uint32_t>> textures; // lent pixels, width x height
    std::map<int, int> textureWidths;
    int nextMesh = 1;
    int meshesAlive = 0;
    int isMeshAnswer = 1;                // what IsMesh answers
    float status3 = 0, status5 = 0;      // Engine3DStatus(3) and (5)
    int nextImage = 1;
};

extern FakeEngineState FakeEngine;
extern ZelvaroEngine FakeEngineTable;

// Points Engine at the fake and clears its record and state.
void UseFakeEngine();
// The calls named so, in order.
std::vector<EngineCall> CallsNamed(const std::string& name);
// The names of all recorded calls, in order.
std::vector<std::string> CallNames();
