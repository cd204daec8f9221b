"""The release build of zeltrand-summary the benchmarks time, in build/bench."""

import pathlib
import subprocess

ROOT = pathlib.Path(__file__).resolve().parents[2]
BUILD = ROOT / 'build' / 'bench'


def build_summary():
    """Configures and builds build/bench/zeltrand-summary; returns its path."""
    subprocess.run(['cmake', '-S', ROOT, '-B', BUILD, '-G', 'Ninja', '-DCMAKE_BUILD_TYPE=Release',
                    '-DZELTRAND_TESTS=OFF', '-DZELTRAND_E2E=OFF'], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(['cmake', '--build', BUILD, '--target', 'zeltrand-summary', '-j2'], check=True,
                   stdout=subprocess.DEVNULL)
    return BUILD / 'zeltrand-summary'
