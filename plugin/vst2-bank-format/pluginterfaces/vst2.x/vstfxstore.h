// The byte layout of a VST2 bank file (.fxb) holding an opaque chunk, as published for
// exchanging presets between hosts. The VST3 wrapper includes this inside a namespace of its own
// to read and write the VST2-compatible header in front of the plug-in's saved state.
// All fields are big-endian in the file; the wrapper swaps them.

#pragma once

typedef int VstInt32;

struct fxBank
{
    VstInt32 chunkMagic;     // 'CcnK'
    VstInt32 byteSize;       // size of this bank after byteSize
    VstInt32 fxMagic;        // 'FBCh' for an opaque chunk
    VstInt32 version;
    VstInt32 fxID;           // the plug-in's unique ID
    VstInt32 fxVersion;
    VstInt32 numPrograms;
    VstInt32 currentProgram;
    char future[124];

    union
    {
        struct
        {
            VstInt32 size;   // chunk size in bytes
            char chunk[8];   // the chunk itself, `size` bytes long
        } data;
    } content;
};
