#!/usr/bin/python3
# SSIM of two pictures of the same size on their luma (BT.601 weights),
# Gaussian window of 11 pixels, sigma 1.5, as Wang et al. define it.
# Usage: ssim.py A B   (any format Pillow reads; decode others to PNG first)
import sys

import numpy as np
from PIL import Image


def luma(path):
    rgb = np.asarray(Image.open(path).convert("RGB"), dtype=np.float64)
    return rgb @ np.array([0.299, 0.587, 0.114])


def blur(a):
    x = np.arange(-5, 6)
    k = np.exp(-(x * x) / (2 * 1.5 * 1.5))
    k /= k.sum()
    a = np.apply_along_axis(lambda r: np.convolve(r, k, mode="valid"), 1, a)
    return np.apply_along_axis(lambda c: np.convolve(c, k, mode="valid"), 0, a)


def ssim(a, b):
    c1, c2 = (0.01 * 255) ** 2, (0.03 * 255) ** 2
    ma, mb = blur(a), blur(b)
    va, vb, cov = blur(a * a) - ma * ma, blur(b * b) - mb * mb, blur(a * b) - ma * mb
    s = ((2 * ma * mb + c1) * (2 * cov + c2)) / ((ma * ma + mb * mb + c1) * (va + vb + c2))
    return s.mean()


if __name__ == "__main__":
    a, b = luma(sys.argv[1]), luma(sys.argv[2])
    if a.shape != b.shape:
        sys.exit(f"sizes differ: {a.shape} {b.shape}")
    print(f"{ssim(a, b):.5f}")
