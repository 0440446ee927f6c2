// The patch path: until it is built, it only gives the node its cache and hands the object on.
#include "modifier/ambiflex.h"
#include "symmetry/local_mesh_data.h"
#include "symmetry/mesh_paths.h"

void ModifyPatchObject(ambiflex* mod, PatchObject* obj, TimeValue t, ModContext& mc) { vLocalMeshData::FetchOrCreate(mc); }
