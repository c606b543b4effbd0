// acrxGetApiVersion: the host API release a module is built for.
//
// The host SDK supplies this function in a static library that every module links, and the
// module exports it; before initialising a module the host asks it and refuses a module of
// another major release. The release is encoded as (major << 16) | minor: 23.1, AutoCAD
// 2020, the release KORVInventory targets, is 0x00170001.
extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() {
    return (23 << 16) | 1;
}
