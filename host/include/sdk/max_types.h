// Basic scalar and handle types of the host SDK: times, flags, ids and the wide-character text
// type. Everything the plug-in exchanges with the host is spelled with these names.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#else
#include <windows.h>  // the host's stand-in for the few Windows types and calls (platform/linux)
#endif

typedef int TimeValue;
typedef wchar_t MCHAR;
#ifndef _T
#define _T(x) L##x
#endif
#ifndef _M
#define _M(x) L##x
#endif

typedef unsigned long SClass_ID;
typedef std::uint32_t ChannelMask;
typedef std::uint32_t PartID;
typedef unsigned int RefMessage;
typedef int RefResult;
typedef int IOResult;
typedef short BlockID;
typedef short ParamID;
typedef short MapID;
typedef short FunctionID;

#define TIME_NegInfinity TimeValue(0x80000000)
#define TIME_PosInfinity TimeValue(0x7fffffff)

// Result codes.
#define REF_FAIL 0
#define REF_SUCCEED 1
#define REF_DONTCARE 2
#define REF_STOP 3
#define IO_OK 0
#define IO_END 1
#define IO_ERROR 2

// Super class ids.
#define GEN_DERIVOB_CLASS_ID 0x00000002
#define BASENODE_CLASS_ID 0x00000001
#define GEOMOBJECT_CLASS_ID 0x00000010
#define OSM_CLASS_ID 0x00000810
#define PARAMETER_BLOCK2_CLASS_ID 0x00000082
#define NOTIFY_ALL 0xfffffff0

// Version of the SDK this host implements: release 15000, API 40, revision 0.
#define MAX_RELEASE 15000
#define MAX_API_NUM 40
#define MAX_SDK_REV 0
#define MAXPLUGINVERSION(rel, api, sdk) ((((unsigned long)(rel)) << 16) | ((api) << 8) | (sdk))
#define VERSION_3DSMAX MAXPLUGINVERSION(MAX_RELEASE, MAX_API_NUM, MAX_SDK_REV)
