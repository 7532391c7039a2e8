#!/usr/bin/env bash
# Builds the plug-in, installs the VST3 bundle into ~/.vst3 and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh

build_dir=${ZENVAR_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build_dir" -j "$(nproc)" --target Zenvar_VST3

bundle="$build_dir/plugin/Zenvar_artefacts/Release/VST3/Zenvar.vst3"
mkdir -p "$HOME/.vst3"
rm -rf "$HOME/.vst3/Zenvar.vst3"
cp -R "$bundle" "$HOME/.vst3/"
echo "Installed $HOME/.vst3/Zenvar.vst3"
