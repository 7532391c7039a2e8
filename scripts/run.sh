#!/usr/bin/env bash
# Builds the plug-in, installs the VST3 bundle into ~/.vst3 and runs the main job: zenvar-split
# splits a generated demonstration signal into its four bands in out/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh

build_dir=${ZENVAR_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZENVAR_BUILD_TOOLS=ON
cmake --build "$build_dir" -j "$(nproc)" --target Zenvar_VST3

bundle="$build_dir/plugin/Zenvar_artefacts/Release/VST3/Zenvar.vst3"
mkdir -p "$HOME/.vst3"
rm -rf "$HOME/.vst3/Zenvar.vst3"
cp -R "$bundle" "$HOME/.vst3/"
echo "Installed $HOME/.vst3/Zenvar.vst3"

# The main job: a demonstration signal split into its four bands through the built bundle, the
# split checked against the all-pass response, and the bands' responses drawn.
cmake --build "$build_dir" -j "$(nproc)" --target zenvar-split
split_tool="$build_dir/tools/zenvar-split"
out_dir=${ZENVAR_OUT_DIR:-out}
mkdir -p "$out_dir"

"$split_tool" --make-demo "$out_dir/demo.wav"
"$split_tool" "$out_dir/demo.wav" --out "$out_dir" --check --plot "$out_dir/response.png"

echo
echo "Demonstration signal: $out_dir/demo.wav"
echo "Its four bands:       $out_dir/demo.band1.wav ... $out_dir/demo.band4.wav"
echo "Band responses:       $out_dir/response.png"
echo "Split a file of your own with: $split_tool song.wav   (see $split_tool --help)"
