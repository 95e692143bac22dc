// assetgen OUTDIR: writes the presentation's default asset pack into OUTDIR.
#include <cstdio>

#include "asset_pack.h"
#include "platform/standard_streams.h"

int main(int argc, char** argv) {
    guardStandardStreams();
    if (argc != 2) {
        std::fprintf(stderr, "usage: assetgen OUTDIR\n");
        return 2;
    }
    return writeAssetPack(argv[1]);
}
