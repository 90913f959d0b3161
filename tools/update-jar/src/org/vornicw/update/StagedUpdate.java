package org.vornicw.update;

import java.io.File;
import java.io.FileInputStream;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.util.ArrayList;
import java.util.List;

/**
 * Stages a new version of the application for the launcher and asks it for a restart.
 *
 * <pre>
 *   StagedUpdate.stage(new File(downloaded));   // every file of the new version, then the manifest
 *   StagedUpdate.restart(42);                   // the "Restart Exit Code" of the launcher's settings
 * </pre>
 *
 * The launcher applies the staged version whole at its next start, before anything of the application
 * folder is in use, and puts the previous one back when the new one cannot reach main. Plain java.io,
 * so that any runtime from Java 8 on runs it.
 */
public final class StagedUpdate {
    /** The manifest the launcher looks for, written last. */
    public static final String MANIFEST = "vornicw-update.manifest";

    private StagedUpdate() {}

    /** The launcher's update folder (the system property vornicw.update.folder), or null without one. */
    public static File updateFolder() {
        String folder = System.getProperty("vornicw.update.folder");
        return folder == null || folder.isEmpty() ? null : new File(folder);
    }

    /**
     * Copies every file under {@code version}, a whole folder of the new version laid out as the
     * application folder, into the update folder, and writes the manifest last.
     */
    public static void stage(File version) throws IOException {
        stage(version, new String[0]);
    }

    /** As {@link #stage(File)}; {@code removed} names installed files the new version no longer has. */
    public static void stage(File version, String[] removed) throws IOException {
        File target = updateFolder();
        if (target == null) throw new IOException("not started by the launcher: no vornicw.update.folder");
        if (!target.isDirectory() && !target.mkdirs()) throw new IOException("cannot create " + target);
        List<String> paths = new ArrayList<String>();
        listFiles(version, "", paths);
        StringBuilder manifest = new StringBuilder("vornicw update 1\n");
        byte[] buffer = new byte[65536];
        for (String path : paths) {
            File to = new File(target, path);
            File parent = to.getParentFile();
            if (!parent.isDirectory() && !parent.mkdirs()) throw new IOException("cannot create " + parent);
            Sha256 hash = new Sha256();
            long size = 0;
            InputStream in = new FileInputStream(new File(version, path));
            try {
                OutputStream out = new FileOutputStream(to);
                try {
                    for (int read; (read = in.read(buffer)) > 0; size += read) {
                        hash.add(buffer, read);
                        out.write(buffer, 0, read);
                    }
                } finally {
                    out.close();
                }
            } finally {
                in.close();
            }
            manifest.append("file ").append(hash.finishHex()).append(' ').append(size).append(' ')
                    .append(path).append('\n');
        }
        for (String path : removed) manifest.append("remove ").append(path).append('\n');
        // Under another name first: the launcher must never see half a manifest.
        File partial = new File(target, MANIFEST + ".part");
        OutputStream out = new FileOutputStream(partial);
        try {
            out.write(manifest.toString().getBytes("UTF-8"));
        } finally {
            out.close();
        }
        if (!partial.renameTo(new File(target, MANIFEST))) throw new IOException("cannot write the manifest");
    }

    /** Ends the application with the launcher's "Restart Exit Code": it starts the application again. */
    public static void restart(int restartExitCode) {
        System.exit(restartExitCode);
    }

    private static void listFiles(File folder, String prefix, List<String> paths) throws IOException {
        String[] names = folder.list();
        if (names == null) throw new IOException("cannot read " + folder);
        java.util.Arrays.sort(names);
        for (String name : names) {
            File file = new File(folder, name);
            if (file.isDirectory()) listFiles(file, prefix + name + "\\", paths);
            else paths.add(prefix + name);
        }
    }

    /** SHA-256 (FIPS 180-4); not every runtime's class library has a MessageDigest for it. */
    static final class Sha256 {
        private static final int[] K = {
            0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
            0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
            0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
            0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
            0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
            0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
            0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
            0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
        };
        private final int[] h = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c,
                                 0x1f83d9ab, 0x5be0cd19};
        private final byte[] block = new byte[64];
        private int filled;
        private long length;

        private static int rotr(int value, int bits) {
            return (value >>> bits) | (value << (32 - bits));
        }

        void add(byte[] bytes, int count) {
            for (int i = 0; i < count; ++i) addByte(bytes[i]);
            length += count;
        }

        private void addByte(byte b) {
            block[filled++] = b;
            if (filled == 64) {
                compress();
                filled = 0;
            }
        }

        private void compress() {
            int[] w = new int[64];
            for (int i = 0; i < 16; ++i)
                w[i] = (block[i * 4] & 0xff) << 24 | (block[i * 4 + 1] & 0xff) << 16 | (block[i * 4 + 2] & 0xff) << 8
                       | (block[i * 4 + 3] & 0xff);
            for (int i = 16; i < 64; ++i) {
                int s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >>> 3);
                int s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >>> 10);
                w[i] = w[i - 16] + s0 + w[i - 7] + s1;
            }
            int a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
            for (int i = 0; i < 64; ++i) {
                int s1 = rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25);
                int t1 = hh + s1 + ((e & f) ^ (~e & g)) + K[i] + w[i];
                int s0 = rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22);
                int t2 = s0 + ((a & b) ^ (a & c) ^ (b & c));
                hh = g;
                g = f;
                f = e;
                e = d + t1;
                d = c;
                c = b;
                b = a;
                a = t1 + t2;
            }
            h[0] += a; h[1] += b; h[2] += c; h[3] += d; h[4] += e; h[5] += f; h[6] += g; h[7] += hh;
        }

        String finishHex() {
            long bits = length * 8;
            addByte((byte) 0x80);
            while (filled != 56) addByte((byte) 0);
            for (int i = 7; i >= 0; --i) addByte((byte) (bits >>> (8 * i)));
            StringBuilder hex = new StringBuilder();
            for (int word : h) {
                String digits = Integer.toHexString(word);
                for (int pad = digits.length(); pad < 8; ++pad) hex.append('0');
                hex.append(digits);
            }
            return hex.toString();
        }
    }
}
