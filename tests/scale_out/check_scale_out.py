#!/usr/bin/python3
"""Runs the recipes of docs/scale-out.md on this machine.

Each recipe block of the page is taken as it stands, with only its hosts and
folders swapped for this machine's: GNU parallel with local job slots ("3/:")
for the ssh hosts, the Slurm script once per array task with the variables
Slurm would set, and the Kubernetes Indexed Job's command once per completion
index, after the manifest passes a schema of the fields it uses. Each must
leave exactly the outputs of a single run, byte for byte, and shard results
whose summaries add up to its.

usage: check_scale_out.py DOC BATCH_BIN_DIR SCHEMA
"""
import json
import os
import pathlib
import random
import re
import shutil
import subprocess
import sys
import tempfile

import jsonschema
import yaml
from PIL import Image

doc, bin_dir, schema_path = sys.argv[1:4]
text = pathlib.Path(doc).read_text(encoding="utf-8")
env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"], LC_ALL="C.UTF-8")


def recipe(name):
    match = re.search(r"<!-- recipe: %s -->\n```\w+\n(.*?)```" % name, text, re.S)
    if not match:
        sys.exit("no recipe %r in %s" % (name, doc))
    return match.group(1)


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def tree(root):
    return {str(p.relative_to(root)): p.read_bytes() for p in sorted(pathlib.Path(root).rglob("*")) if p.is_file()}


def summaries(results):
    found = []
    for path in sorted(pathlib.Path(results).glob("shard-*.json")):
        lines = [json.loads(line) for line in path.read_text().splitlines() if line.strip()]
        if not lines or lines[-1]["type"] != "summary":
            fail("%s has no summary" % path)
        found.append(lines[-1])
    return found


work = pathlib.Path(tempfile.mkdtemp(prefix="scale-out-"))
try:
    photos = work / "photos"
    rng = random.Random(7)
    for i in range(60):
        folder = photos / ("%d" % (i % 4)) / ("day %d" % (i % 3))
        folder.mkdir(parents=True, exist_ok=True)
        size = (rng.randint(20, 90), rng.randint(20, 90))
        image = Image.new("RGB", size, (i * 4 % 256, 100, 200 - i))
        image.save(folder / ("p%d.%s" % (i, ["jpg", "png", "bmp"][i % 3])))
    (photos / "broken.jpg").write_bytes(b"\xff\xd8\xff\xe0 broken")

    # One run with the recipes' options is the reference.
    reference = work / "reference"
    single = subprocess.run(["tarvel-batch", "--recursive", "--json", "-w", "1024", "-H", "768", str(photos),
                             str(reference)], env=env, capture_output=True, text=True)
    if single.returncode != 1:
        fail("the single run ended with %d: %s" % (single.returncode, single.stderr))
    expected = tree(reference)
    whole = json.loads(single.stdout.splitlines()[-1])
    if len(expected) != 60 or whole["converted"] != 60 or whole["failed"] != 1:
        fail("the single run converted %d" % len(expected))

    def check(name, results, output, count):
        found = summaries(results)
        if len(found) != count:
            fail("%s: %d shard results, not %d" % (name, len(found), count))
        if sorted(s["shard_index"] for s in found) != list(range(count)):
            fail("%s: the shards are not 0 to %d" % (name, count - 1))
        for key in ("files", "converted", "failed", "skipped"):
            if sum(s[key] for s in found) != whole[key]:
                fail("%s: the shards' %s add up to %d, not %d" % (name, key, sum(s[key] for s in found), whole[key]))
        if tree(output) != expected:
            fail("%s: the outputs differ from one run's" % name)
        print("%s: %d shards, %d pictures, the same bytes as one run" % (name, count, len(expected)))

    # GNU parallel: the hosts become three job slots of this machine.
    block = recipe("parallel")
    block = re.sub(r"--sshlogin \S+", "--sshlogin 3/:", block)
    block = block.replace("/srv/photos", str(photos)).replace("/srv/resized", str(work / "parallel"))
    block = block.replace("/srv/results", str(work / "parallel-results"))
    ran = subprocess.run(["bash", "-euo", "pipefail", "-c", block], env=env, capture_output=True, text=True)
    count = int(re.search(r"SHARDS=(\d+)", block).group(1))
    # parallel's status is the number of shards that failed: the one with
    # the broken picture.
    if ran.returncode != 1:
        fail("parallel ended with %d: %s" % (ran.returncode, ran.stderr))
    check("GNU parallel", work / "parallel-results", work / "parallel", count)

    # Slurm: the script once per array task, as sbatch would run it.
    script = work / "resize.sh"
    script.write_text(recipe("slurm"))
    first, last = map(int, re.search(r"#SBATCH --array=(\d+)-(\d+)", script.read_text()).groups())
    if first != 0:
        fail("the Slurm array does not start at 0")
    for task in range(first, last + 1):
        task_env = dict(env, SLURM_ARRAY_TASK_ID=str(task), SLURM_ARRAY_TASK_COUNT=str(last + 1),
                        SLURM_CPUS_PER_TASK="1", SOURCE=str(photos), OUTPUT=str(work / "slurm"),
                        RESULTS=str(work / "slurm-results"))
        status = subprocess.run(["bash", str(script)], env=task_env, capture_output=True, text=True).returncode
        if status not in (0, 1):
            fail("Slurm task %d ended with %d" % (task, status))
    check("Slurm array", work / "slurm-results", work / "slurm", last + 1)

    # Kubernetes: the manifest against the schema of the fields it uses, then
    # the container's command once per completion index.
    manifest = yaml.safe_load(recipe("kubernetes"))
    jsonschema.validate(manifest, json.loads(pathlib.Path(schema_path).read_text()))
    job = manifest["spec"]
    container = job["template"]["spec"]["containers"][0]
    command = container["args"][0]
    completions = job["completions"]
    if '--shard "$JOB_COMPLETION_INDEX/%d"' % completions not in command:
        fail("the Job's shard count is not its completions (%d)" % completions)
    for rule in job.get("podFailurePolicy", {}).get("rules", []):
        if rule["onExitCodes"]["containerName"] != container["name"]:
            fail("the failure policy names another container")
    mount = container["volumeMounts"][0]["mountPath"]
    data = work / "volume"
    data.mkdir()
    (data / "photos").symlink_to(photos)
    local = command.replace(mount + "/", str(data) + "/")
    for index in range(completions):
        status = subprocess.run(container["command"] + [local], env=dict(env, JOB_COMPLETION_INDEX=str(index)),
                                capture_output=True, text=True).returncode
        if status not in (0, 1):
            fail("index %d ended with %d" % (index, status))
    check("Kubernetes Indexed Job", data / "results", data / "resized", completions)
finally:
    shutil.rmtree(work, ignore_errors=True)
