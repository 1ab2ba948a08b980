// morph.h -- a mesh that flows around a ring of key meshes, one small step per call
#pragma once
#include <cstdint>

class Mesh;

class MorphSequence {
public:
    static constexpr int kMaxKeys = 500;

    Mesh* target = nullptr;  // owned: made by init
    Mesh* keyMeshes[kMaxKeys] = {};
    int32_t keyCount = 0;
    int32_t currentKey = 0;
    int32_t steps = 0;
    float stepCounter = 0;

    MorphSequence() = default;
    ~MorphSequence();
    MorphSequence(const MorphSequence&) = delete;
    MorphSequence& operator=(const MorphSequence&) = delete;

    int init(int keys, float stepsPerTransition);
    int setKey(int index, Mesh* key);
    Mesh* mesh() { return target; }
    void step();
};
