#!/usr/bin/env python3
"""OpenCV's times for the operations velmir-bench measures on the same photo.

usage: opencv_bench.py PHOTO.bmp [--repetitions N] [--min-time SECONDS]

Prints one line per operation, "name milliseconds", with OpenCV held to one
thread. As velmir-bench does, each repetition runs the operation for at
least the minimum time and takes the mean; the figure is the best of the
repetitions.
"""
import argparse
import math
import sys
import time

import cv2
import numpy as np


def best_ms(f, repetitions, min_time):
    f()  # warm-up: first-touch page faults and lazy initialisation
    best = float("inf")
    for _ in range(repetitions):
        rounds = 0
        start = time.perf_counter()
        while True:
            f()
            rounds += 1
            elapsed = time.perf_counter() - start
            if elapsed >= min_time:
                break
        best = min(best, elapsed / rounds)
    return best * 1000.0


def distortions(img):
    """warpAffine for RotateFree at 17 degrees into the same output size, and
    remap with the swirl's and the ripple's maps computed beforehand (as
    float maps; VELMIR's figures include computing its positions)."""
    h, w = img.shape[:2]
    rad = -17.0 * (1.0 / 180) * 3.1415
    s, c = math.sin(rad), math.cos(rad)
    xs = [x * c - y * s for x, y in ((0, 0), (w, 0), (w, h), (0, h))]
    ys = [x * s + y * c for x, y in ((0, 0), (w, 0), (w, h), (0, h))]
    ow, oh = int(max(xs) - min(xs)), int(max(ys) - min(ys))
    # Output (x, y) reads the source at the turned position about the centres.
    matrix = np.array([[c, -s, w // 2 - (ow // 2) * c + (oh // 2) * s],
                       [s, c, h // 2 - (ow // 2) * s - (oh // 2) * c]], np.float64)
    turned = np.empty((oh, ow, 3), np.uint8)

    gy, gx = np.mgrid[0:h, 0:w].astype(np.float64)
    cx, cy, m = w * 0.5, h * 0.5, min(w, h)
    r2 = (gx - cx) ** 2 + (gy - cy) ** 2
    maps = {}
    for name, theta in (("swirl", 0.1 * -5 * r2 / (m * m)),
                        ("ripple", -0.001 * 10 * np.sin(6 * r2 / (2.0 * m / 15) ** 2))):
        maps[name] = ((cx + (gx - cx) * np.cos(theta) - (gy - cy) * np.sin(theta)).astype(np.float32),
                      (cy + (gx - cx) * np.sin(theta) + (gy - cy) * np.cos(theta)).astype(np.float32))
    remapped = np.empty_like(img)

    def remap(name):
        mx, my = maps[name]
        return lambda: cv2.remap(img, mx, my, cv2.INTER_LINEAR, dst=remapped,
                                 borderMode=cv2.BORDER_CONSTANT)

    return [
        ("warpAffine17", lambda: cv2.warpAffine(img, matrix, (ow, oh), dst=turned,
                                                flags=cv2.INTER_LINEAR | cv2.WARP_INVERSE_MAP,
                                                borderMode=cv2.BORDER_CONSTANT)),
        ("remapSwirl", remap("swirl")),
        ("remapRipple", remap("ripple")),
    ]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("photo")
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--min-time", type=float, default=0.5)
    args = parser.parse_args()

    cv2.setNumThreads(1)
    img = cv2.imread(args.photo, cv2.IMREAD_COLOR)
    if img is None:
        sys.exit("opencv_bench: cannot read " + args.photo)
    h, w = img.shape[:2]

    # Sharpen type 0 at strength s: P - s * (N + W + E + S - 4P) / 100.
    s = 50
    k = s / 100.0
    sharpen = np.array([[0, -k, 0], [-k, 1 + 4 * k, -k], [0, -k, 0]], np.float32)

    small = np.empty((1200, 1600, 3), np.uint8)
    large = np.empty((h * 3 // 2, w * 3 // 2, 3), np.uint8)
    median = np.empty_like(img)
    filtered = np.empty_like(img)

    ops = [
        ("medianBlur3", lambda: cv2.medianBlur(img, 3, dst=median)),
        ("filter2D3x3", lambda: cv2.filter2D(img, -1, sharpen, dst=filtered)),
        ("resizeArea1600x1200",
         lambda: cv2.resize(img, (1600, 1200), dst=small, interpolation=cv2.INTER_AREA)),
        ("resizeLinear1.5x",
         lambda: cv2.resize(img, (large.shape[1], large.shape[0]), dst=large,
                            interpolation=cv2.INTER_LINEAR)),
    ]
    ops += distortions(img)
    print("# opencv %s, threads %d, %dx%d" % (cv2.__version__, cv2.getNumThreads(), w, h))
    for name, f in ops:
        print("%s %.3f" % (name, best_ms(f, args.repetitions, args.min_time)))


if __name__ == "__main__":
    main()
