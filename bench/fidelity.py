#!/usr/bin/python3
"""fidelity.py CORPUS_DIR WORK_DIR [--box WxH ...] [--batch PATH] [--imagemagick] [--per-file]

How close each tool's reduced JPEGs come to an exact reduction, and how much
fine detail they keep. Every JPEG of CORPUS_DIR is fitted into each box
(default 1024x768 and the window's 425x321) by tarvel-batch (the build's, or
--batch PATH), by vipsthumbnail, by Pillow's resize(LANCZOS) and, with
--imagemagick, by `convert -filter Lanczos -resize`; all write JPEG at
quality 100.

The reference is a float Lanczos3 of the full decode (Pillow's resize on
32-bit float planes, one per channel, with the horizontal and the vertical
scale each taken from the tool's own output size), after the EXIF
orientation and the embedded profile (to sRGB, perceptual) are applied. It is
clipped to 0..255 but not rounded.

PSNR is over all channels of the whole picture. "Detail" is the mean absolute
4-neighbour Laplacian of the luma (Pillow's "L") divided by that of Pillow's
output at the same size: below 1 is softer than Pillow, above 1 sharper.

Needs Debian's python3-pil and python3-numpy (./dev installs them) and
libvips-tools; run it with /usr/bin/python3.
"""
import argparse
import io
import os
import shutil
import statistics
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

import numpy as np
from PIL import Image, ImageCms, ImageOps

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def jpegs(corpus):
    return sorted(n for n in os.listdir(corpus)
                  if n.lower().endswith((".jpg", ".jpeg")) and not n.startswith(".")
                  and os.path.isfile(os.path.join(corpus, n)))


def run_tarvel(batch, corpus, names, box, out):
    # tarvel-batch converts a folder: give it one holding the JPEGs only.
    src = out + "-src"
    shutil.rmtree(src, ignore_errors=True)
    os.makedirs(src)
    for n in names:
        os.symlink(os.path.join(corpus, n), os.path.join(src, n))
    subprocess.run([batch, "-w", str(box[0]), "-H", str(box[1]), "--jpeg-quality", "100", src, out],
                   check=True, stdout=subprocess.DEVNULL)


def run_each(command, corpus, names, out):
    with ThreadPoolExecutor(2) as pool:
        for result in pool.map(lambda n: subprocess.run(command(os.path.join(corpus, n), os.path.join(out, n)),
                                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE),
                               names):
            if result.returncode != 0:
                sys.exit(result.stderr.decode(errors="replace"))


def vipsthumbnail(box):
    return lambda src, dst: ["vipsthumbnail", src, "-s", f"{box[0]}x{box[1]}",
                             "-o", f"{os.path.splitext(dst)[0]}.jpg[Q=100]"]


def imagemagick(box):
    return lambda src, dst: ["convert", src, "-filter", "Lanczos", "-resize", f"{box[0]}x{box[1]}",
                             "-quality", "100", dst]


def decoded(path):
    """The source as a viewer shows it: upright, in sRGB, as RGB."""
    picture = ImageOps.exif_transpose(Image.open(path))
    profile = picture.info.get("icc_profile")
    if profile and picture.mode in ("RGB", "CMYK"):
        source = ImageCms.ImageCmsProfile(io.BytesIO(profile))
        picture = ImageCms.profileToProfile(picture, source, ImageCms.createProfile("sRGB"),
                                            renderingIntent=ImageCms.Intent.PERCEPTUAL, outputMode="RGB")
    return picture.convert("RGB")


def float_lanczos(planes, size):
    out = [np.asarray(Image.fromarray(p, "F").resize(size, Image.LANCZOS), dtype=np.float64) for p in planes]
    return np.clip(np.stack(out, axis=2), 0, 255)


def psnr(a, b):
    mse = np.mean((a.astype(np.float64) - b) ** 2)
    return 99.0 if mse == 0 else 10 * np.log10(255.0 ** 2 / mse)


def laplacian(picture):
    luma = np.asarray(picture.convert("L"), dtype=np.float64)
    centre = luma[1:-1, 1:-1]
    return np.mean(np.abs(4 * centre - luma[:-2, 1:-1] - luma[2:, 1:-1] - luma[1:-1, :-2] - luma[1:-1, 2:]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[1])
    parser.add_argument("corpus")
    parser.add_argument("work")
    parser.add_argument("--box", action="append", help="WxH, repeatable (default 1024x768 and 425x321)")
    parser.add_argument("--batch", default=os.path.join(ROOT, "build", "bin", "tarvel-batch"))
    parser.add_argument("--imagemagick", action="store_true", help="also ImageMagick 6 (slow)")
    parser.add_argument("--per-file", action="store_true", help="also print each file's PSNR and detail")
    args = parser.parse_args()
    boxes = [tuple(int(v) for v in b.split("x")) for b in (args.box or ["1024x768", "425x321"])]
    names = jpegs(args.corpus)
    tools = ["tarvel-batch", "vipsthumbnail", "Pillow"] + (["ImageMagick"] if args.imagemagick else [])

    # Every tool's outputs first, then one decode per source for all of them.
    outputs = {}
    for box in boxes:
        for tool in tools:
            out = os.path.join(args.work, f"{tool}-{box[0]}x{box[1]}")
            shutil.rmtree(out, ignore_errors=True)
            os.makedirs(out)
            outputs[tool, box] = out
            if tool == "tarvel-batch":
                run_tarvel(args.batch, args.corpus, names, box, out)
            elif tool == "vipsthumbnail":
                run_each(vipsthumbnail(box), args.corpus, names, out)
            elif tool == "ImageMagick":
                run_each(imagemagick(box), args.corpus, names, out)

    results = {key: [] for key in outputs}
    for name in names:
        source = decoded(os.path.join(args.corpus, name))
        planes = [np.asarray(source.getchannel(c), dtype=np.float32) for c in range(3)]
        references, pillow = {}, {}
        for box in boxes:
            tarvel_size = Image.open(os.path.join(outputs["tarvel-batch", box], name)).size
            # Pillow is given tarvel-batch's size, its own row compares like for like.
            pillow_path = os.path.join(outputs["Pillow", box], name)
            source.resize(tarvel_size, Image.LANCZOS).save(pillow_path, quality=100, subsampling=0)
            for tool in tools:
                out = Image.open(os.path.join(outputs[tool, box], name))
                out.load()
                if out.size not in references:
                    references[out.size] = float_lanczos(planes, out.size)
                if out.size not in pillow:
                    pillow[out.size] = laplacian(source.resize(out.size, Image.LANCZOS)
                                                 if out.size != tarvel_size else Image.open(pillow_path))
                value = psnr(np.asarray(out.convert("RGB")), references[out.size])
                results[tool, box].append((name, value, laplacian(out) / pillow[out.size]))
        print(f"{name} done", file=sys.stderr)

    print("| tool | box | PSNR median / min (dB) | detail mean (lowest) |")
    print("|---|---|---|---|")
    for box in boxes:
        for tool in tools:
            rows = results[tool, box]
            values = [r[1] for r in rows]
            detail = [r[2] for r in rows]
            print(f"| {tool} | {box[0]} x {box[1]} | {statistics.median(values):.1f} / {min(values):.1f} | "
                  f"{statistics.mean(detail):.3f} ({min(detail):.3f}) |")
    if args.per_file:
        for box in boxes:
            print(f"\nPSNR and detail per file, {box[0]} x {box[1]}: " + ", ".join(tools))
            for i, name in enumerate(names):
                print(name, " ".join(f"{results[tool, box][i][1]:.1f} {results[tool, box][i][2]:.3f}" for tool in tools))


if __name__ == "__main__":
    main()
